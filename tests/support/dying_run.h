#pragma once

#include "patch_job.h"

namespace zarneth::test {

// Runs `job` in a child process that ends itself with _exit, as a kill would, right before
// its `occurrence`-th system call named `call` through the engine's seam (any call when
// `call` is null). True when the child died there; false when the run ended first.
bool RunDyingAt(const PatchJob& job, const char* call, int occurrence);

}  // namespace zarneth::test

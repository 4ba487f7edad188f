#pragma once

#include <string>
#include <vector>

#include "patch_job.h"

namespace zarneth::test {

// Runs `job` in a child process that ends itself, as a kill would, right before its
// `occurrence`-th system call named `call` through the engine's seam (any call when `call`
// is null). True when the child died there; false when the run ended first. POSIX forks;
// Windows starts the helper program dying_run_child.
bool RunDyingAt(const PatchJob& job, const char* call, int occurrence);

// The child's side: runs `job` with the hook set and returns kRanThrough when it ended
// without dying. kDiedStatus is the exit code of a child that died at its call.
inline constexpr int kDiedStatus = 77;
inline constexpr int kRanThrough = 0;
int RunUntilDeath(const PatchJob& job, const char* call, int occurrence);

// A job as command-line arguments for the helper program, and back.
std::vector<std::string> JobArguments(const PatchJob& job);
PatchJob JobFromArguments(const std::vector<std::string>& arguments);

}  // namespace zarneth::test

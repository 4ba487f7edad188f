#pragma once

#include "patch_job.h"

namespace zarneth {

// Copies `result.cutLength` bytes of the source from `result.start` into the destination
// file. The paths and the addresses were checked by RunJob.
RunResult RunCut(const PatchJob& job, RunResult result);

}  // namespace zarneth

#pragma once

#include "patch_job.h"

namespace zarneth {

// Writes the job's transcript into the source image at `result.start`: in place, or, with
// createNewFile, into a patched copy at the destination path. The paths and the address
// were checked by RunJob.
RunResult RunZarneth(const PatchJob& job, RunResult result);

}  // namespace zarneth

#pragma once

#include "patch_job.h"

namespace zarneth {

// Compares the image at `result.start` with the whole transcript, counting the bytes that
// differ and summing both sides. Reads only. The paths and the address were checked by
// RunJob; the block must lie inside the image, as for a patch.
RunResult RunVerify(const PatchJob& job, RunResult result);

// Hands `result.cutLength` bytes of the image from `result.start` to the job's sink, in
// pieces, summing them. Reads only; the range must lie inside the image, as for a cut.
RunResult RunShow(const PatchJob& job, RunResult result);

}  // namespace zarneth

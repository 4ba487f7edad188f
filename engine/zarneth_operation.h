#pragma once

#include <cstdint>

#include "patch_job.h"

namespace zarneth {

// Writes the job's transcript into the source image at `start`: in place, or, with
// createNewFile, into a patched copy at the destination path.
RunResult RunZarneth(const PatchJob& job, std::uint32_t start);

}  // namespace zarneth

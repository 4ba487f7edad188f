#pragma once

#include <cstdint>

#include "patch_job.h"

namespace zarneth {

// The one working buffer of a cut: ranges longer than this are copied through it in pieces.
inline constexpr std::uint32_t kCutBufferSize = 80000;

// Copies `cutLength` bytes of the source from `start` into the destination file.
RunResult RunCut(const PatchJob& job, std::uint32_t start, std::uint32_t cutLength);

}  // namespace zarneth

#include "patch_job.h"

#include "cut_operation.h"
#include "hex_address.h"
#include "zarneth_operation.h"

namespace zarneth {

RunResult RunJob(const PatchJob& job) {
  const std::uint32_t start = ParseHexAddress(job.startText);
  if (job.mode == PatchMode::Zarneth)
    return RunZarneth(job, start);

  const std::uint32_t end = ParseHexAddress(job.endText);
  const std::uint32_t cutLength = end - start + 1u;  // inclusive end, wraps modulo 2^32
  return RunCut(job, start, cutLength);
}

}  // namespace zarneth

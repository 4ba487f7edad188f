#include "run_report.h"

#include <cstdio>

#include "hex_address.h"
#include "quoted_name.h"

namespace zarneth {
namespace {

std::string ByteCount(std::uint64_t count) {
  return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

// What the run did, or for a dry run would do, without the CRC-32.
std::string DescribeRun(const PatchJob& job, const RunResult& result) {
  // What a dry run would do, in the same words.
  const bool would = job.dryRun;
  if (job.mode == PatchMode::Cut) {
    const std::string range =
        result.cutLength == 0
            ? "an empty range at " + HexText(result.start)
            : HexText(result.start) + " to " + HexText(result.start + result.cutLength - 1);
    return std::string(would ? "would cut " : "cut ") + ByteCount(result.bytesWritten) + " (" +
           range + ") of " + QuotedName(job.sourcePath) + " into " +
           QuotedName(job.destinationPath);
  }
  if (!job.createNewFile)
    return std::string(would ? "would patch " : "patched ") + QuotedName(job.sourcePath) +
           " in place: " + (would ? "write " : "wrote ") + ByteCount(result.bytesWritten) + " of " +
           QuotedName(job.transcriptPath) + " at " + HexText(result.start);
  return std::string(would ? "would write " : "wrote ") + QuotedName(job.destinationPath) + " (" +
         ByteCount(result.bytesWritten) + "): " + QuotedName(job.sourcePath) + " with " +
         QuotedName(job.transcriptPath) + " at " + HexText(result.start);
}

}  // namespace

std::string CrcText(std::uint32_t crc) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(crc));
  return text;
}

std::string DescribeDone(const PatchJob& job, const RunResult& result) {
  // A dry run put nothing in place, so it has no checksum to give.
  if (job.dryRun)
    return DescribeRun(job, result);
  std::string done = DescribeRun(job, result) + ", CRC-32 " + CrcText(result.crc);
  if (!result.backupPath.empty())
    done += "; the image as it was is kept as " + QuotedName(result.backupPath);
  return done;
}

std::string DescribeOverrun(const ModelPreset& preset, std::uint64_t transcriptLength) {
  return "(" + ByteCount(transcriptLength) + ") is longer than the language block of " +
         std::string(preset.model) + " (" + ByteCount(preset.Length()) +
         "): " + ByteCount(transcriptLength - preset.Length()) + " after the block, up to " +
         HexText(std::uint64_t{preset.start} + transcriptLength - 1) + ", would be overwritten";
}

}  // namespace zarneth

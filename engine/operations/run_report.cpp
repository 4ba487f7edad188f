#include "run_report.h"

#include <cstdio>

#include "hex_address.h"
#include "quoted_name.h"

namespace zarneth {
namespace {

std::string ByteCount(std::uint64_t count) {
  return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

// What the run did, or for a dry run would do, without the CRC-32; in the same words.
std::string DescribeRun(const PatchInPlace& patch, const WriteResult& result) {
  const bool would = patch.dryRun;
  return std::string(would ? "would patch " : "patched ") + QuotedName(patch.sourcePath) +
         " in place: " + (would ? "write " : "wrote ") + ByteCount(result.placedBytes) + " of " +
         QuotedName(patch.transcriptPath) + " at " + HexText(result.start);
}

std::string DescribeRun(const PatchCopy& patch, const WriteResult& result) {
  return std::string(patch.dryRun ? "would write " : "wrote ") + QuotedName(patch.destinationPath) +
         " (" + ByteCount(result.fileBytes) + "): " + QuotedName(patch.sourcePath) + " with " +
         QuotedName(patch.transcriptPath) + " at " + HexText(result.start);
}

std::string DescribeRun(const CutRange& cut, const WriteResult& result) {
  const std::string range =
      result.placedBytes == 0
          ? "an empty range at " + HexText(result.start)
          : HexText(result.start) + " to " + HexText(result.start + result.placedBytes - 1);
  return std::string(cut.dryRun ? "would cut " : "cut ") + ByteCount(result.placedBytes) + " (" +
         range + ") of " + QuotedName(cut.sourcePath) + " into " + QuotedName(cut.destinationPath);
}

}  // namespace

std::string CrcText(std::uint32_t crc) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(crc));
  return text;
}

std::string DescribeDone(const WriteOperation& operation, const WriteResult& result) {
  const std::string run =
      std::visit([&](const auto& chosen) { return DescribeRun(chosen, result); }, operation);
  // A dry run put nothing in place, so it has no checksum to give.
  if (std::visit([](const auto& chosen) { return chosen.dryRun; }, operation))
    return run;
  std::string done = run + ", CRC-32 " + CrcText(result.crc);
  if (!result.backupPath.empty())
    done += "; the image as it was is kept as " + QuotedName(result.backupPath);
  return done;
}

std::string DescribeOverrun(const std::string& block, std::uint64_t start,
                            std::uint64_t blockLength, std::uint64_t transcriptLength) {
  return "(" + ByteCount(transcriptLength) + ") is longer than " + block + " (" +
         ByteCount(blockLength) + "): " + ByteCount(transcriptLength - blockLength) +
         " after the block, up to " + HexText(start + transcriptLength - 1) +
         ", would be overwritten";
}

std::string DescribeOverrun(const ModelPreset& preset, std::uint64_t transcriptLength) {
  return DescribeOverrun("the language block of " + std::string(preset.model), preset.start,
                         preset.Length(), transcriptLength);
}

}  // namespace zarneth

#include "run_report.h"

#include <cmath>
#include <cstdio>

#include "hex_address.h"
#include "quoted_name.h"
#include "words.h"

namespace zarneth {
namespace {

// What the run did, or for a dry run would do, without the CRC-32; in the same words.
std::string DescribeRun(const PatchInPlace& patch, const WriteResult& result) {
  const std::string image = QuotedName(patch.sourcePath);
  const std::string bytes = ByteCount(result.placedBytes);
  const std::string transcript = QuotedName(patch.transcriptPath);
  const std::string at = HexText(result.start);
  if (patch.dryRun)
    // TRANSLATORS: %1$s is the image, %2$s a number of bytes, %3$s the transcript, %4$s an address.
    return TrFill("would patch %s in place: write %s of %s at %s", {image, bytes, transcript, at});
  // TRANSLATORS: %1$s is the image, %2$s a number of bytes, %3$s the transcript, %4$s an address.
  return TrFill("patched %s in place: wrote %s of %s at %s", {image, bytes, transcript, at});
}

std::string DescribeRun(const PatchCopy& patch, const WriteResult& result) {
  const std::string copy = QuotedName(patch.destinationPath);
  const std::string bytes = ByteCount(result.fileBytes);
  const std::string image = QuotedName(patch.sourcePath);
  const std::string transcript = QuotedName(patch.transcriptPath);
  const std::string at = HexText(result.start);
  if (patch.dryRun)
    // TRANSLATORS: %1$s is the new file, %2$s its length, %3$s the image, %4$s the transcript, %5$s
    // an address.
    return TrFill("would write %s (%s): %s with %s at %s", {copy, bytes, image, transcript, at});
  // TRANSLATORS: %1$s is the new file, %2$s its length, %3$s the image, %4$s the transcript, %5$s
  // an address.
  return TrFill("wrote %s (%s): %s with %s at %s", {copy, bytes, image, transcript, at});
}

std::string DescribeRun(const CutRange& cut, const WriteResult& result) {
  const std::string bytes = ByteCount(result.placedBytes);
  const std::string range =
      result.placedBytes == 0
          ? TrFill("an empty range at %s", {HexText(result.start)})
          // TRANSLATORS: %1$s and %2$s are addresses: a range from the first through the second.
          : TrFill("%s to %s",
                   {HexText(result.start), HexText(result.start + result.placedBytes - 1)});
  const std::string image = QuotedName(cut.sourcePath);
  const std::string into = QuotedName(cut.destinationPath);
  if (cut.dryRun)
    // TRANSLATORS: %1$s is a number of bytes, %2$s a range of addresses, %3$s the image, %4$s the
    // new file.
    return TrFill("would cut %s (%s) of %s into %s", {bytes, range, image, into});
  // TRANSLATORS: %1$s is a number of bytes, %2$s a range of addresses, %3$s the image, %4$s the new
  // file.
  return TrFill("cut %s (%s) of %s into %s", {bytes, range, image, into});
}

}  // namespace

std::string ByteCount(std::uint64_t count) {
  return Fill(TrPlural("%s byte", "%s bytes", static_cast<unsigned long>(count)),
              {std::to_string(count)});
}

std::string BlockOffsetText(std::uint64_t offset) {
  return "+" + FormatHexAddress(static_cast<std::uint32_t>(offset));
}

std::string CrcText(std::uint32_t crc) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(crc));
  return text;
}

std::string ShareText(std::uint64_t part, std::uint64_t whole) {
  std::uint64_t tenths = whole == 0 ? 0 : part * 1000 / whole;
  if (part < whole && tenths == 1000)
    tenths = 999;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "%";
}

std::string ShareText(double percent) {
  char text[32];
  const double tenths = std::floor(percent * 10 + 1e-9);
  if (std::fmod(tenths, 10) == 0)
    std::snprintf(text, sizeof text, "%.0f%%", tenths / 10);
  else
    std::snprintf(text, sizeof text, "%.1f%%", tenths / 10);
  return text;
}

std::string DescribeDone(const WriteOperation& operation, const WriteResult& result) {
  std::string done =
      std::visit([&](const auto& chosen) { return DescribeRun(chosen, result); }, operation);
  // A dry run put nothing in place, so it has no checksum to give.
  if (!std::visit([](const auto& chosen) { return chosen.dryRun; }, operation))
    // TRANSLATORS: %1$s is a sentence of what was done, %2$s a checksum.
    done = TrFill("%s, CRC-32 %s", {done, CrcText(result.crc)});
  if (result.replacedBytes > 0)
    // TRANSLATORS: %1$s is a sentence of what was done, %2$s a share ("99.8%").
    done = TrFill("%s; %s of the replaced block agreed there",
                  {done, ShareText(result.replacedAgreeing, result.replacedBytes)});
  if (result.oldBlockStays > 0)
    // TRANSLATORS: %1$s is a sentence of what was done, %2$s a number of bytes.
    done = TrFill("%s; the last %s of the old block stay as they were",
                  {done, ByteCount(result.oldBlockStays)});
  if (!result.backupPath.empty())
    // TRANSLATORS: %1$s is a sentence of what was done, %2$s the backup's file.
    done = TrFill("%s; the image as it was is kept as %s", {done, QuotedName(result.backupPath)});
  return done;
}

std::string DescribeOverrun(const std::string& transcript, const std::string& block,
                            std::uint64_t start, std::uint64_t blockLength,
                            std::uint64_t transcriptLength) {
  return TrFill(
      // TRANSLATORS: %1$s is the transcript ("the transcript 'de.blk'"), %3$s the block it goes
      // over ("the language block of V135"), %2$s, %4$s and %5$s numbers of bytes ("89156
      // bytes"), %6$s an address.
      "%1$s (%2$s) is longer than %3$s (%4$s): %5$s after the block, up to %6$s, would be "
      "overwritten",
      {transcript, ByteCount(transcriptLength), block, ByteCount(blockLength),
       ByteCount(transcriptLength - blockLength), HexText(start + transcriptLength - 1)});
}

std::string DescribeOverrun(const std::string& transcript, const ModelPreset& preset,
                            std::uint64_t transcriptLength) {
  return DescribeOverrun(transcript, TrFill("the language block of %s", {preset.model}),
                         preset.start, preset.Length(), transcriptLength);
}

}  // namespace zarneth

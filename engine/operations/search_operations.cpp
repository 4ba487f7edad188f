// The operations that find things in images without a preset: where a block's bytes stand
// (locate), and where two images differ (compare). Both read only, as streams.
#include <algorithm>
#include <cstring>
#include <memory>

#include "block_search.h"
#include "hex_address.h"
#include "operations.h"
#include "quoted_name.h"
#include "run_files.h"
#include "run_report.h"
#include "stop_request.h"
#include "words.h"

namespace zarneth {
namespace {

// Ranges of differing bytes as they are met, in address order, told as one where fewer than
// kDifferenceGap equal bytes lie between them.
class RangeGrouping {
 public:
  RangeGrouping(CompareResult& result, const DifferenceSink& sink, std::uint64_t imageBytes)
      : m_result(result), m_sink(sink), m_imageBytes(imageBytes) {}
  // `count` differing bytes from `start`.
  void Differ(std::uint64_t start, std::uint64_t count, DifferingRange::Side side) {
    m_result.differingBytes += count;
    if (m_open && m_range.side == side && start - End() < kDifferenceGap) {
      m_range.bytes = start + count - m_range.start;
      return;
    }
    Close();
    m_range = {start, count, side, m_imageBytes};
    m_open = true;
  }
  void Close() {
    if (!m_open)
      return;
    m_open = false;
    ++m_result.ranges;
    m_result.rangeBytes += m_range.bytes;
    if (m_sink)
      m_sink(m_range);
  }

 private:
  std::uint64_t End() const { return m_range.start + m_range.bytes; }

  CompareResult& m_result;
  const DifferenceSink& m_sink;
  std::uint64_t m_imageBytes;
  DifferingRange m_range;
  bool m_open = false;
};

// Hands each run of differing bytes of `a` and `b` (`count` bytes at image offset `at`) to
// the grouping. Equal stretches are passed over a word at a time.
void GroupDifferences(const unsigned char* a, const unsigned char* b, std::size_t count,
                      std::uint64_t at, RangeGrouping& grouping) {
  std::size_t i = 0;
  while (i < count) {
    while (i + 8 <= count && std::memcmp(a + i, b + i, 8) == 0)
      i += 8;
    while (i < count && a[i] == b[i])
      ++i;
    const std::size_t first = i;
    while (i < count && a[i] != b[i])
      ++i;
    if (i > first)
      grouping.Differ(at + first, i - first, DifferingRange::Side::Both);
  }
}

}  // namespace

LocateResult Run(const LocateBlock& operation) {
  return RunOperation<LocateResult>(
      {{Role::Source, operation.sourcePath}, {Role::Transcript, operation.blockPath}}, nullptr,
      [&](LocateResult& result, std::uint32_t) -> RunStatus {
        RunFiles files;
        CFile source;
        CFile blockFile;
        // Its size only lines up the table of exact occurrences, shown as they are found; the
        // image is read to its end whatever the size says.
        const auto sizeSaid = files.OpenMeasured(source, operation.sourcePath, Role::Source);
        if (!sizeSaid)
          return sizeSaid.Status();
        const auto block = files.ReadBlock(blockFile, operation.blockPath, Role::Transcript);
        if (!block)
          return block.Status();
        result.blockBytes = block->Length();
        const auto report = [&](BlockFound found) {
          ++result.places;
          if (operation.sink)
            operation.sink(found);
        };
        // Exact occurrences go out as they are found; one that overlaps the last shown (a
        // block that repeats itself, in a run of the same) is counted unless all are asked.
        std::uint64_t shownEnd = 0;
        const auto exactFound = [&](std::uint64_t start) {
          if (operation.nearLimit != 0 && result.places > 0 && start < shownEnd) {
            ++result.overlapping;
            return;
          }
          shownEnd = start + block->Length();
          BlockFound found;
          found.start = static_cast<std::uint32_t>(start);
          found.bytes = found.agreeing = found.blockTo = block->Length();
          found.imageBytes = *sizeSaid;
          found.exact = true;
          report(found);
        };
        const auto answer = SearchImage(
            source, *block, Role::Transcript,
            {.near = true, .nearLimit = operation.nearLimit, .detail = operation.detail},
            [&](std::uint64_t start) { exactFound(start); });
        if (!answer)
          return answer.Status();
        result.imageBytes = answer->imageBytes;
        const std::vector<MeasuredPlace>& near = answer->near;
        std::size_t shown = near.size();
        if (operation.nearLimit != 0 && shown > operation.nearLimit) {
          shown = operation.nearLimit;
          // Places beyond those shown at the last one's share are said, not silently cut.
          const BlockFound& last = near[shown - 1].found;
          for (std::size_t i = shown; i < near.size(); ++i)
            result.tied += near[i].found.agreeing * last.PartLength() ==
                           last.agreeing * near[i].found.PartLength();
        }
        for (std::size_t i = 0; i < shown; ++i)
          report(near[i].found);
        if (result.places == 0 && answer->best) {
          result.best = answer->best->whole;
          result.chance = answer->best->chance;
        }
        return RunStatus::Done();
      });
}

CompareResult Run(const CompareImages& operation) {
  return RunOperation<CompareResult>(
      {{Role::Source, operation.sourcePath}, {Role::Compared, operation.otherPath}},
      &operation.startText, [&](CompareResult& result, std::uint32_t start) -> RunStatus {
        RunFiles files;
        CFile source;
        CFile other;
        const auto sourceLength = files.OpenMeasured(source, operation.sourcePath, Role::Source);
        if (!sourceLength)
          return sourceLength.Status();
        const auto otherLength = files.OpenMeasured(other, operation.otherPath, Role::Compared);
        if (!otherLength)
          return otherLength.Status();
        // Both files are read to the end of what they give, whatever their sizes say (a
        // file of /proc says 0, a growing file less than it holds); the sizes only refuse a
        // range past both ends before anything is read, and line up the table.
        const std::uint64_t longerSaid = std::max(*sourceLength, *otherLength);
        std::uint64_t end = kMaxFileLength + 1;  // exclusive; unbounded: to the longer's end
        const bool rangeGiven = !operation.endText.empty();
        if (rangeGiven) {
          const auto length = RangeLength(start, operation.endText);
          if (!length)
            return length.Status();
          end = start + *length;
        }
        const auto pastBoth = [&](std::uint64_t sourceBytes, std::uint64_t otherBytes) {
          return Refused(
              Refusal::OutsideImage,
              // TRANSLATORS: %1$s is an address, %2$s and %4$s files, %3$s and %5$s their lengths.
              TrFill("the range from %s runs past the end of both source file %s (%s) "
                     "and compared file %s (%s)",
                     {HexText(start), QuotedName(operation.sourcePath), ByteCount(sourceBytes),
                      QuotedName(operation.otherPath), ByteCount(otherBytes)}));
        };
        if (*sourceLength > 0 && *otherLength > 0 &&
            ((rangeGiven && end > longerSaid) || start > longerSaid))
          return pastBoth(*sourceLength, *otherLength);

        RangeGrouping grouping(result, operation.sink, longerSaid);
        const auto a = std::make_unique_for_overwrite<unsigned char[]>(kScanWindowSize);
        const auto b = std::make_unique_for_overwrite<unsigned char[]>(kScanWindowSize);
        std::uint64_t sourceEnd = 0;  // where each file ended, once it did
        std::uint64_t otherEnd = 0;
        bool sourceEnded = false;
        bool otherEnded = false;
        std::uint64_t at = start;
        while (at < end && !(sourceEnded && otherEnded)) {
          StopIfRequested();
          const auto wanted =
              static_cast<std::uint32_t>(std::min<std::uint64_t>(end - at, kScanWindowSize));
          const std::uint32_t fromSource = sourceEnded ? 0 : source.ReadAt(at, a.get(), wanted);
          const std::uint32_t fromOther = otherEnded ? 0 : other.ReadAt(at, b.get(), wanted);
          const std::uint32_t common = std::min(fromSource, fromOther);
          if (common > 0 && std::memcmp(a.get(), b.get(), common) != 0)
            GroupDifferences(a.get(), b.get(), common, at, grouping);
          // What only the longer image has is a range of its own.
          if (fromSource != fromOther)
            grouping.Differ(at + common, std::max(fromSource, fromOther) - common,
                            fromSource > fromOther ? DifferingRange::Side::OnlySource
                                                   : DifferingRange::Side::OnlyOther);
          if (!sourceEnded && fromSource < wanted) {
            sourceEnded = true;
            sourceEnd = at + fromSource;
          }
          if (!otherEnded && fromOther < wanted) {
            otherEnded = true;
            otherEnd = at + fromOther;
          }
          at += std::max(fromSource, fromOther);
        }
        grouping.Close();
        if (at > kMaxFileLength)
          return RunFiles::TooLarge(sourceEnded ? other : source,
                                    sourceEnded ? Role::Compared : Role::Source, at);
        // Nothing at the start: past both ends where neither has the byte before it either.
        unsigned char probe = 0;
        const bool beyondBoth = at == start && start > 0 &&
                                source.ReadAt(start - 1, &probe, 1) == 0 &&
                                other.ReadAt(start - 1, &probe, 1) == 0;
        if (beyondBoth)
          return pastBoth(*sourceLength, *otherLength);
        if (rangeGiven && at < end)
          return pastBoth(sourceEnded ? sourceEnd : at, otherEnded ? otherEnd : at);
        result.comparedBytes = at - start;
        return RunStatus::Done();
      });
}

}  // namespace zarneth

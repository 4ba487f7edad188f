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

// The starts the votes put forward for measuring: enough that the best are among them, few
// enough that measuring them costs little beside the scan.
constexpr std::size_t kNominees = 64;
constexpr std::size_t kNomineesForAll = 1024;

// Better first: the larger share of agreeing bytes, then more agreeing bytes, then the
// lower start. Shares are compared as cross products, exact for 32-bit counts.
bool BetterPlace(const BlockFound& a, const BlockFound& b) {
  const std::uint64_t left = a.agreeing * b.bytes;
  const std::uint64_t right = b.agreeing * a.bytes;
  if (left != right)
    return left > right;
  return a.agreeing != b.agreeing ? a.agreeing > b.agreeing : a.start < b.start;
}

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
        const auto imageLength = files.OpenMeasured(source, operation.sourcePath, Role::Source);
        if (!imageLength)
          return imageLength.Refusal();
        const auto block = files.ReadBlock(blockFile, operation.blockPath, Role::Transcript);
        if (!block)
          return block.Refusal();
        result.blockBytes = block->size();
        const auto report = [&](BlockFound found) {
          ++result.places;
          found.imageBytes = *imageLength;
          if (operation.sink)
            operation.sink(found);
        };

        // One pass finds the exact occurrences and gathers the votes for a changed block,
        // which are wanted only while no exact occurrence is found.
        ExactSearch exact(*block);
        PieceVotes votes(*block, operation.nearLimit == 0
                                     ? kNomineesForAll
                                     : std::max(kNominees, operation.nearLimit));
        const std::uint64_t read =
            ScanImage(source, *imageLength, std::max(exact.Overlap(), votes.Overlap()),
                      [&](std::uint64_t windowStart, std::span<const unsigned char> window) {
                        exact.Look(windowStart, window, [&](std::uint64_t start) {
                          report({static_cast<std::uint32_t>(start), block->size(), block->size()});
                        });
                        if (result.places == 0)
                          votes.Look(windowStart, window);
                      });
        if (read < *imageLength)
          return Refused(Refusal::ShortRead,
                         ShortReadReason(source, Role::Source, read, *imageLength));
        if (result.places > 0)
          return RunStatus::Done();

        std::vector<BlockFound> near;
        for (const std::uint64_t start : votes.Nominees()) {
          const Agreement agreement = MeasureAgreement(source, *imageLength, *block, start);
          const std::uint64_t inside = std::min<std::uint64_t>(block->size(), *imageLength - start);
          if (agreement.bytes < inside)
            return Refused(
                Refusal::ShortRead,
                ShortReadReason(source, Role::Source, start + agreement.bytes, start + inside));
          if (agreement.clear)
            near.push_back(
                {static_cast<std::uint32_t>(start), agreement.bytes, agreement.agreeing});
        }
        std::sort(near.begin(), near.end(), BetterPlace);
        if (operation.nearLimit != 0 && near.size() > operation.nearLimit)
          near.resize(operation.nearLimit);
        for (const BlockFound& found : near)
          report(found);
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
          return sourceLength.Refusal();
        const auto otherLength = files.OpenMeasured(other, operation.otherPath, Role::Compared);
        if (!otherLength)
          return otherLength.Refusal();
        const std::uint64_t longer = std::max(*sourceLength, *otherLength);
        const std::uint64_t shorter = std::min(*sourceLength, *otherLength);
        std::uint64_t end = longer;  // exclusive
        if (!operation.endText.empty()) {
          const auto length = RangeLength(start, operation.endText);
          if (!length)
            return length.Refusal();
          end = start + *length;
        }
        if (end > longer || start > longer)
          return Refused(
              Refusal::OutsideImage,
              TrFill("the range from %s runs past the end of both source file %s (%s) "
                     "and compared file %s (%s)",
                     {HexText(start), QuotedName(operation.sourcePath), ByteCount(*sourceLength),
                      QuotedName(operation.otherPath), ByteCount(*otherLength)}));
        result.comparedBytes = end - start;

        RangeGrouping grouping(result, operation.sink, longer);
        const std::uint64_t common = std::min(end, shorter);
        const auto a = std::make_unique_for_overwrite<unsigned char[]>(kScanWindowSize);
        const auto b = std::make_unique_for_overwrite<unsigned char[]>(kScanWindowSize);
        for (std::uint64_t at = start; at < common;) {
          StopIfRequested();
          const auto wanted =
              static_cast<std::uint32_t>(std::min<std::uint64_t>(common - at, kScanWindowSize));
          const std::uint32_t fromSource = source.ReadAt(at, a.get(), wanted);
          const std::uint32_t fromOther = other.ReadAt(at, b.get(), wanted);
          if (fromSource < wanted || fromOther < wanted) {
            const bool sourceShort = fromSource < wanted;
            return Refused(Refusal::ShortRead,
                           ShortReadReason(sourceShort ? source : other,
                                           sourceShort ? Role::Source : Role::Compared,
                                           at + std::min(fromSource, fromOther), common));
          }
          if (std::memcmp(a.get(), b.get(), wanted) != 0)
            GroupDifferences(a.get(), b.get(), wanted, at, grouping);
          at += wanted;
        }
        grouping.Close();
        // What only the longer image has is a range of its own.
        const std::uint64_t restStart = std::max<std::uint64_t>(start, shorter);
        if (end > restStart) {
          grouping.Differ(restStart, end - restStart,
                          *sourceLength > *otherLength ? DifferingRange::Side::OnlySource
                                                       : DifferingRange::Side::OnlyOther);
          grouping.Close();
        }
        return RunStatus::Done();
      });
}

}  // namespace zarneth

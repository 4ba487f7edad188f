#include "block_search.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "seed_votes.h"
#include "stop_request.h"

namespace zarneth {
namespace {

// The starts the votes put forward for measuring: enough that the best are among them.
constexpr std::size_t kNominees = 64;
constexpr std::size_t kNomineesForAll = 1024;
// The bytes measured at the nominees, beyond the first: the votes' order decides which.
constexpr std::uint64_t kMeasureBudget = 64u << 20;

// Every exact occurrence of a block read from its file, the image read by offset too: the
// block is not held, so neither is a window of its length.
void FindExactInFile(CFile& image, std::uint64_t imageLength, const BlockBytes& block,
                     const std::function<void(std::uint64_t)>& found) {
  const FileBytes& needle = block.File();
  const FileBytes hay(image, imageLength);
  const TwoWayPlan plan = PlanTwoWay(needle, block.Length());
  TwoWayScan(plan, needle, hay, 0, imageLength, found);
}

}  // namespace

std::uint64_t ScanImage(CFile& image, std::size_t overlap, const ByteSink& sink) {
  // New bytes per window: at least the overlap, so that a long block is not moved more
  // often than it is read.
  const std::size_t fresh = std::max<std::size_t>(kScanWindowSize, overlap);
  const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(overlap + fresh);
  std::size_t kept = 0;  // bytes of the window before, at the buffer's start
  std::uint64_t done = 0;
  while (done <= kMaxFileLength) {
    StopIfRequested();
    const auto wanted = static_cast<std::uint32_t>(fresh);
    // ReadAt reads all it is asked for, fewer bytes only at the end of the file.
    const std::uint32_t got = image.ReadAt(done, buffer.get() + kept, wanted);
    const std::size_t windowLength = kept + got;
    if (got > 0)
      sink(done - kept, {buffer.get(), windowLength});
    done += got;
    if (got < wanted)
      break;
    const std::size_t carry = std::min(overlap, windowLength);
    std::memmove(buffer.get(), buffer.get() + windowLength - carry, carry);
    kept = carry;
  }
  return done;
}

ExactSearch::ExactSearch(std::span<const unsigned char> block)
    : m_block(block), m_plan(PlanTwoWay(HeldBytes{block.data()}, block.size())) {}

void ExactSearch::Look(std::uint64_t windowStart, std::span<const unsigned char> window,
                       const std::function<void(std::uint64_t)>& found) {
  const std::uint64_t from = std::max(m_nextStart, windowStart) - windowStart;
  const std::uint64_t next =
      TwoWayScan(m_plan, HeldBytes{m_block.data()}, HeldBytes{window.data()}, from, window.size(),
                 [&](std::uint64_t at) { found(windowStart + at); });
  m_nextStart = windowStart + next;
}

bool BetterPlace(const BlockFound& a, const BlockFound& b) {
  // Shares compared as cross products, exact for 32-bit counts.
  const std::uint64_t left = a.agreeing * b.PartLength();
  const std::uint64_t right = b.agreeing * a.PartLength();
  if (left != right)
    return left > right;
  return a.agreeing != b.agreeing ? a.agreeing > b.agreeing : a.start < b.start;
}

SearchAnswer SearchBlock(CFile& image, const BlockBytes& block, const BlockSearch& how,
                         const std::function<void(std::uint64_t)>& onExact) {
  SearchAnswer answer;
  const auto exactFound = [&](std::uint64_t start) {
    ++answer.exact;
    onExact(start);
  };
  // The exact search first, alone: most blocks looked for stand somewhere exactly, and
  // it reads at nearly the speed of reading. Only where there is none, a second pass votes.
  if (block.Held()) {
    ExactSearch exact(block.HeldBytes());
    answer.imageBytes =
        ScanImage(image, exact.Overlap(),
                  [&](std::uint64_t windowStart, std::span<const unsigned char> window) {
                    exact.Look(windowStart, window, exactFound);
                  });
  } else {
    // The block is not held, so neither is a window of its length: the image is measured
    // first, then read by offset.
    answer.imageBytes = ScanImage(image, 0, [](std::uint64_t, std::span<const unsigned char>) {});
    if (answer.imageBytes <= kMaxFileLength)
      FindExactInFile(image, answer.imageBytes, block, exactFound);
  }
  if (answer.exact > 0 || !how.near || answer.imageBytes > kMaxFileLength)
    return answer;

  SeedVotes votes(block, how.nearLimit == 0 ? kNomineesForAll : std::max(kNominees, how.nearLimit));
  const std::uint64_t voted =
      ScanImage(image, votes.Overlap(),
                [&](std::uint64_t windowStart, std::span<const unsigned char> window) {
                  votes.Look(windowStart, window);
                });
  if (voted != answer.imageBytes)
    throw FileEnded{&image, voted, answer.imageBytes};
  const ChanceBaseline baseline(image, answer.imageBytes, block);
  std::uint64_t measured = 0;
  for (const std::uint64_t start : votes.Nominees()) {
    if (measured > kMeasureBudget)
      break;
    MeasuredPlace place =
        MeasurePlace(image, answer.imageBytes, block, start, baseline, how.detail);
    measured += place.measured;
    if (!answer.best || BetterPlace(place.whole, answer.best->whole))
      answer.best = place;
    if (place.counts)
      answer.near.push_back(std::move(place));
  }
  std::sort(
      answer.near.begin(), answer.near.end(),
      [](const MeasuredPlace& a, const MeasuredPlace& b) { return BetterPlace(a.found, b.found); });
  return answer;
}

Checked<SearchAnswer> SearchImage(CFile& image, const BlockBytes& block, Role blockRole,
                                  const BlockSearch& how,
                                  const std::function<void(std::uint64_t)>& onExact) {
  try {
    SearchAnswer answer = SearchBlock(image, block, how, onExact);
    if (answer.imageBytes > kMaxFileLength)
      return RunFiles::TooLarge(image, Role::Source, answer.imageBytes);
    return answer;
  } catch (const FileEnded& ended) {
    const bool isImage = ended.file == &image;
    return Refused(
        Refusal::ShortRead,
        ShortReadReason(*ended.file, isImage ? Role::Source : blockRole, ended.at, ended.wanted));
  }
}

}  // namespace zarneth

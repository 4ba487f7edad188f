#pragma once

// Finding a block's bytes in an image read as a stream: the image goes by in windows of
// bounded size, each beginning with the last bytes of the one before.
//
// ExactSearch finds every exact occurrence by the two-way algorithm, in time linear in the
// image and in the block whatever their bytes. SeedVotes (seed_votes.h) puts forward the
// starts where a changed block may stand, and MeasurePlace (place_measure.h) tells, byte
// for byte, which of them agree beyond chance and in which part. SearchBlock runs them.
// Memory follows neither the image nor, beyond BlockBytes::kHeldBlockBytes, the block.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "c_file.h"
#include "file_bytes.h"
#include "place_measure.h"
#include "run_files.h"
#include "stream_copy.h"
#include "two_way_search.h"

namespace zarneth {

// The new bytes each window of a scan adds to the last bytes of the one before.
inline constexpr std::uint32_t kScanWindowSize = 1u << 20;

// Reads `image` from its start into `sink` window by window, each window beginning with the
// `overlap` bytes that ended the one before, to the end of what the file gives whatever its
// size says, but no further than one byte past kMaxFileLength. Returns the bytes read.
// Throws RunStopped between windows once a stop is requested.
std::uint64_t ScanImage(CFile& image, std::size_t overlap, const ByteSink& sink);

// Every exact occurrence of a block held in memory, in address order, each once.
class ExactSearch {
 public:
  // `block` must outlive the search and hold at least one byte.
  explicit ExactSearch(std::span<const unsigned char> block);
  // The bytes a window must repeat of the one before: one less than the block.
  std::size_t Overlap() const { return m_block.size() - 1; }
  // Hands each occurrence that starts in the window and ends inside it to `found`.
  void Look(std::uint64_t windowStart, std::span<const unsigned char> window,
            const std::function<void(std::uint64_t start)>& found);

 private:
  std::span<const unsigned char> m_block;
  TwoWayPlan m_plan;
  std::uint64_t m_nextStart = 0;  // no occurrence starts before this
};

// What SearchBlock looks for.
struct BlockSearch {
  bool near = true;           // where the block stands nowhere exactly, the places it agrees
  std::size_t nearLimit = 3;  // the best places kept among the votes' nominees (0: many more)
  bool detail = false;        // each place's differing parts
};

// What SearchBlock found.
struct SearchAnswer {
  std::uint64_t imageBytes = 0;       // past kMaxFileLength: the image is too long to search
  std::uint64_t exact = 0;            // exact occurrences
  std::vector<MeasuredPlace> near;    // the places that count, best first
  std::optional<MeasuredPlace> best;  // the best whole block measured, whether it counts or not
};

// Better first: the larger share of its part agreeing, then more agreeing bytes, then the
// lower start.
bool BetterPlace(const BlockFound& a, const BlockFound& b);

// Searches `image` for `block`: each exact occurrence to `onExact` as the image is read;
// where none stands (and `how.near`), the places that agree. Throws FileEnded where a file
// came up short, RunStopped on a stop request.
SearchAnswer SearchBlock(CFile& image, const BlockBytes& block, const BlockSearch& how,
                         const std::function<void(std::uint64_t start)>& onExact);

// SearchBlock for a run, the block in `blockRole`: a file that came up short, or an image
// beyond 32-bit offsets, is the run's refusal.
Checked<SearchAnswer> SearchImage(CFile& image, const BlockBytes& block, Role blockRole,
                                  const BlockSearch& how,
                                  const std::function<void(std::uint64_t start)>& onExact);

}  // namespace zarneth

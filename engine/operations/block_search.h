#pragma once

// Finding a block's bytes in an image read as a stream: the image goes by in windows of
// bounded size, each beginning with the last bytes of the one before, so memory grows with
// the block and never with the image.
//
// ExactSearch finds every exact occurrence. PieceVotes finds where a changed block stands:
// every piece of the image at a multiple of the piece length is looked up among all the
// block's pieces, and each piece found votes for the start it implies; the starts with the
// most votes are then measured byte for byte (MeasureAgreement).

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

#include "c_file.h"

namespace zarneth {

// The new bytes each window of a scan adds to the last bytes of the one before.
inline constexpr std::uint32_t kScanWindowSize = 1u << 20;

// A window of the image: its first byte's offset in the image and its bytes.
using ScanSink = std::function<void(std::uint64_t windowStart, std::span<const unsigned char>)>;

// Reads the first `length` bytes of `image` into `sink` window by window, each window
// beginning with the `overlap` bytes that ended the one before. Returns the bytes read:
// fewer than `length` only where the image ended early. Throws RunStopped between windows
// once a stop is requested.
std::uint64_t ScanImage(CFile& image, std::uint64_t length, std::size_t overlap,
                        const ScanSink& sink);

// Every exact occurrence of a block, in address order, each once, in time linear in the
// image whatever its bytes: a block overlaps itself only at its periods, so after an
// occurrence the next one is either one period on or not before the overlap ends.
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
  using Searcher = std::boyer_moore_searcher<const unsigned char*>;

  std::span<const unsigned char> m_block;
  std::size_t m_period;           // the block's smallest period (its length if it has none)
  std::uint64_t m_nextStart = 0;  // no occurrence starts before this
  std::unique_ptr<Searcher> m_searcher;
};

// The starts that the most pieces of the image vote for, for a block that may have changed.
class PieceVotes {
 public:
  // Indexes every piece of `block` that stands only once in it (a piece found twice would
  // vote for two starts) and is not one byte repeated (padding votes everywhere); keeps the
  // `keep` starts with the most votes. A block too short for two pieces indexes none.
  PieceVotes(std::span<const unsigned char> block, std::size_t keep);
  ~PieceVotes();

  std::size_t Overlap() const { return m_pieceLength == 0 ? 0 : m_pieceLength - 1; }
  // Looks up each piece of the window at a multiple of the piece length.
  void Look(std::uint64_t windowStart, std::span<const unsigned char> window);
  // After the last window: the starts with at least two votes, the most votes first (the
  // lower start first among equals), at most `keep`.
  std::vector<std::uint64_t> Nominees();

 private:
  struct Slot;
  // Where a piece with `hash` stands in the block; none where no indexed piece has it.
  const Slot* Find(std::uint64_t hash) const;
  std::uint64_t SeenBit(std::uint64_t hash) const;
  // Moves the starts that no later piece can vote for into the kept best.
  void Settle(std::uint64_t nextPiece, bool all);

  std::span<const unsigned char> m_block;
  std::size_t m_pieceLength = 0;
  std::size_t m_keep;
  std::vector<Slot> m_slots;          // open addressing; the mask is size - 1
  std::vector<std::uint64_t> m_seen;  // one bit per hash, to pass over most pieces quickly
  std::uint64_t m_nextPiece = 0;
  std::unordered_map<std::uint64_t, std::uint32_t> m_open;      // votes of starts still open
  std::vector<std::pair<std::uint32_t, std::uint64_t>> m_best;  // (votes, start), a min-heap
};

// How a block compares with the image at one start.
struct Agreement {
  std::uint64_t bytes = 0;     // the block's bytes inside the image
  std::uint64_t agreeing = 0;  // of them, equal to the image's byte at their place
  // Whether clearly more bytes agree than chance would give: at least a quarter of the way
  // from the share that the bytes' frequencies alone would make agree to all of them, and
  // at least 16 bytes.
  bool clear = false;
};

// Compares `block` with the image at `start` (the part inside `imageLength`), reading the
// image in windows of kScanWindowSize.
Agreement MeasureAgreement(CFile& image, std::uint64_t imageLength,
                           std::span<const unsigned char> block, std::uint64_t start);

}  // namespace zarneth

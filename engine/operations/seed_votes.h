#pragma once

// Where a changed block may stand. Short pieces of the block (seeds, 4 or 8 bytes) are
// taken across it and indexed; the image is read as a stream and the piece at every S-th
// offset is looked up among them. Each seed found votes for the start it implies (its image
// offset less its block offset), and the starts with the most votes are put forward to be
// measured byte for byte.
//
// Seeds are short so that a block changed in one byte in eight still has a seed in every
// unchanged stretch; S is a prime, so that the image's offsets looked at meet every phase of
// changes spread evenly at a power of two apart. Votes are counted per group of
// neighbouring starts in a ring that covers only the starts still open (those within a
// block's length behind the stream), so memory follows neither the image nor, beyond a
// bound, the block.

#include <cstdint>
#include <span>
#include <vector>

#include "file_bytes.h"

namespace zarneth {

class SeedVotes {
 public:
  // The most seeds indexed: a longer block is sampled at a prime stride.
  static constexpr std::size_t kMaxSeeds = std::size_t{1} << 17;

  // Indexes the seeds of `block`; keeps the `keep` starts with the most votes. A block too
  // short to vote (under 16 bytes) indexes none. Looks at a stop request as it reads.
  SeedVotes(const BlockBytes& block, std::size_t keep);

  // The bytes a window must repeat of the one before: one less than a seed.
  std::size_t Overlap() const { return m_seedLength == 0 ? 0 : m_seedLength - 1; }
  // Looks up the window's pieces at the image offsets looked at.
  void Look(std::uint64_t windowStart, std::span<const unsigned char> window);
  // After the last window: the starts with at least two votes, the most votes first (the
  // lower start first among equals), at most `keep`.
  std::vector<std::uint64_t> Nominees();

  std::size_t SeedLength() const { return m_seedLength; }
  std::uint64_t ImageStride() const { return m_imageStride; }

 private:
  struct Group {
    std::uint32_t votes = 0;
    std::uint32_t start = 0;  // the start most of the group's votes name (a majority vote)
    std::uint32_t lead = 0;   // its lead over the others
  };
  // Builds the index with seeds of `length` bytes; the share of seeds that stand only once.
  double Index(const BlockBytes& block, std::size_t length);
  // The block offset of the seed `key`, or kNone.
  std::uint32_t Find(std::uint64_t key) const;
  void Vote(std::uint64_t start);
  // Settles the groups below `group` into the kept best.
  void SettleBelow(std::uint64_t group);

  std::uint64_t m_blockLength;
  std::size_t m_keep;
  std::size_t m_seedLength = 0;
  std::uint64_t m_blockStride = 1;
  std::uint64_t m_imageStride = 1;
  unsigned m_slotBits = 0;
  unsigned m_filterBits = 6;
  std::vector<std::uint64_t> m_keys;     // 0: empty (a seed of one byte repeated is never kept)
  std::vector<std::uint32_t> m_offsets;  // kRepeated: the seed stands more than once
  std::vector<std::uint64_t> m_filter;   // one bit per hash, to pass over most pieces quickly
  unsigned m_groupShift = 4;
  std::vector<Group> m_ring;  // group g at g % size, for groups from m_lowGroup
  std::uint64_t m_lowGroup = 0;
  std::vector<std::uint64_t> m_touched;  // the groups with votes
  std::uint64_t m_nextOffset = 0;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> m_best;  // (votes, start), a heap
};

}  // namespace zarneth

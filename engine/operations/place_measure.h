#pragma once

// How a block compares with an image at one start, and whether that is more than chance.
//
// Chance is measured from the image itself: the block's bytes at a spread of other starts
// agree on some share, higher where the image and the block share structure (text in
// UTF-16 agrees on its zero bytes at every even shift, aligned tables on their padding).
// Starts are told apart by their alignment to eight bytes, since such structure repeats at
// powers of two. A place counts when its share is a quarter of the way from what chance
// reaches (the 90th percentile of the other starts) to all of the block, and beyond the
// noise that the number of its bytes leaves.

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "c_file.h"
#include "file_bytes.h"
#include "operations.h"

namespace zarneth {

class ChanceBaseline {
 public:
  // Measures the block at 64 starts of each alignment, 1024 of its bytes each.
  ChanceBaseline(CFile& image, std::uint64_t imageLength, const BlockBytes& block);
  // The share chance reaches at `start`'s alignment, from the starts measured but those
  // next to `start` (the place itself agrees more than chance); none where too few are left
  // to tell (the place's own byte frequencies stand in).
  std::optional<double> Reach(std::uint64_t start) const;

 private:
  std::array<std::vector<std::pair<std::uint64_t, double>>, 8> m_shares;  // (start, share)
};

struct MeasuredPlace {
  BlockFound found;            // the whole block, or the part of it that agrees
  BlockFound whole;            // the whole block, however much of it agrees
  bool counts = false;         // clearly beyond chance
  double chance = 0;           // the share chance reaches there
  std::uint64_t measured = 0;  // the bytes compared to tell it
};

// Compares `block` with the image at `start` (the part inside `imageLength`): the stretch of
// the block that agrees beyond chance, extended while enough of it agrees; the whole block
// where that stretch reaches both its ends (or the image's end). With `detail`, the block's
// ranges that differ there, merged as compare merges them. Reads through `image`; throws
// FileEnded where the image came up short.
MeasuredPlace MeasurePlace(CFile& image, std::uint64_t imageLength, const BlockBytes& block,
                           std::uint64_t start, const ChanceBaseline& baseline, bool detail);

// The share that counts where chance reaches `chance`.
double CountingShare(double chance);

}  // namespace zarneth

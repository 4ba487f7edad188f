#include "place_measure.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "stop_request.h"

namespace zarneth {
namespace {

constexpr std::size_t kBaselineStarts = 64;
// Starts this close to a place measure the place itself, not chance.
constexpr std::uint64_t kOwnPlace = 64;
constexpr std::size_t kSampleChunks = 16;
constexpr std::size_t kSampleChunkBytes = 64;
constexpr std::uint32_t kMeasurePiece = 256u << 10;
// How far above chance a place's agreeing bytes must lie, in standard deviations of what
// chance gives for that many bytes: a short stretch agrees well by chance more often.
constexpr double kNoiseMargin = 5.0;
// Parts are merged as compare merges differing ranges: closer than this, they are one.
constexpr std::uint64_t kPartGap = 16;

// Reads `count` bytes of the image at `offset` into `out`, all of them or FileEnded.
void ReadImage(CFile& image, std::uint64_t offset, unsigned char* out, std::uint32_t count) {
  const std::uint32_t got = image.ReadAt(offset, out, count);
  if (got < count)
    throw FileEnded{&image, offset + got, offset + count};
}

std::uint64_t SplitMix(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15u);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}

// Differing parts as they are met, merged where fewer than kPartGap equal bytes lie between.
class PartGrouping {
 public:
  explicit PartGrouping(BlockFound& found) : m_found(found) {}
  void Differ(std::uint64_t at) {
    if (m_open && at - (m_part.from + m_part.bytes) < kPartGap) {
      m_part.bytes = at + 1 - m_part.from;
      return;
    }
    Close();
    m_part = {at, 1};
    m_open = true;
  }
  void Close() {
    if (!m_open)
      return;
    m_open = false;
    if (m_found.differing.size() < kDifferingPartsShown)
      m_found.differing.push_back(m_part);
    ++m_found.differingParts;
  }

 private:
  BlockFound& m_found;
  DifferingPart m_part;
  bool m_open = false;
};

}  // namespace

double CountingShare(double chance) {
  return chance + (1 - chance) / 4;
}

ChanceBaseline::ChanceBaseline(CFile& image, std::uint64_t imageLength, const BlockBytes& block) {
  const std::uint64_t length = block.Length();
  const std::size_t chunkBytes =
      static_cast<std::size_t>(std::min<std::uint64_t>(kSampleChunkBytes, length));
  const std::size_t chunks = static_cast<std::size_t>(
      std::clamp<std::uint64_t>(length / kSampleChunkBytes, 1, kSampleChunks));
  std::vector<std::uint64_t> chunkAt(chunks);
  std::vector<unsigned char> sample(chunks * chunkBytes);
  for (std::size_t c = 0; c < chunks; ++c) {
    chunkAt[c] = chunks == 1 ? 0 : (length - chunkBytes) * c / (chunks - 1);
    block.Copy(chunkAt[c], {sample.data() + c * chunkBytes, chunkBytes});
  }
  std::vector<unsigned char> seen(chunkBytes + 8);
  std::vector<std::uint64_t> bases;
  std::uint64_t state = length * 0x2545F4914F6CDD1Du + imageLength;
  for (std::size_t s = 0; s < kBaselineStarts && imageLength >= 8 + chunkBytes; ++s) {
    StopIfRequested();
    const std::uint64_t base = SplitMix(state) % (imageLength - 7) / 8 * 8;
    if (std::find(bases.begin(), bases.end(), base) != bases.end())
      continue;  // a small image has few starts: each is measured once
    bases.push_back(base);
    std::array<std::uint64_t, 8> agreeing{};
    std::array<std::uint64_t, 8> inside{};
    for (std::size_t c = 0; c < chunks; ++c) {
      const std::uint64_t at = base + chunkAt[c];
      if (at >= imageLength)
        break;
      const auto count =
          static_cast<std::uint32_t>(std::min<std::uint64_t>(chunkBytes + 7, imageLength - at));
      ReadImage(image, at, seen.data(), count);
      for (std::size_t shift = 0; shift < 8; ++shift) {
        for (std::size_t i = 0; i < chunkBytes && shift + i < count; ++i) {
          agreeing[shift] += seen[shift + i] == sample[c * chunkBytes + i];
          ++inside[shift];
        }
      }
    }
    for (std::size_t shift = 0; shift < 8; ++shift)
      if (inside[shift] >= chunkBytes)
        m_shares[(base + shift) % 8].emplace_back(
            base + shift,
            static_cast<double>(agreeing[shift]) / static_cast<double>(inside[shift]));
  }
}

std::optional<double> ChanceBaseline::Reach(std::uint64_t start) const {
  std::vector<double> apart;
  for (const auto& [at, share] : m_shares[start % 8])
    if (at + kOwnPlace <= start || at >= start + kOwnPlace)
      apart.push_back(share);
  // Fewer starts than this tell chance too roughly.
  if (apart.size() < 16)
    return std::nullopt;
  std::sort(apart.begin(), apart.end());
  return apart[(apart.size() - 1) * 9 / 10];
}

MeasuredPlace MeasurePlace(CFile& image, std::uint64_t imageLength, const BlockBytes& block,
                           std::uint64_t start, const ChanceBaseline& baseline, bool detail) {
  MeasuredPlace place;
  const std::uint64_t length = block.Length();
  const std::uint64_t inside = start >= imageLength ? 0 : std::min(length, imageLength - start);
  const auto seen = std::make_unique_for_overwrite<unsigned char[]>(kMeasurePiece);
  const auto expected = std::make_unique_for_overwrite<unsigned char[]>(kMeasurePiece);
  // Walks the block's bytes inside the image, piece by piece: `each(offset, equal)`.
  const auto walk = [&](std::uint64_t from, std::uint64_t to, auto&& each) {
    for (std::uint64_t done = from; done < to;) {
      StopIfRequested();
      const auto count =
          static_cast<std::uint32_t>(std::min<std::uint64_t>(to - done, kMeasurePiece));
      ReadImage(image, start + done, seen.get(), count);
      block.Copy(done, {expected.get(), count});
      for (std::uint32_t i = 0; i < count; ++i)
        each(done + i, seen[i], expected[i]);
      done += count;
    }
    place.measured += to - from;
  };

  // The byte frequencies stand in for chance where the image is too short to measure it.
  std::array<std::uint64_t, 256> inBlock{};
  std::array<std::uint64_t, 256> inImage{};
  const std::optional<double> reach = baseline.Reach(start);
  std::uint64_t agreeing = 0;
  if (!reach) {
    walk(0, inside, [&](std::uint64_t, unsigned char a, unsigned char b) {
      ++inImage[a];
      ++inBlock[b];
    });
    double chance = 0;
    const double n = std::max<double>(1, static_cast<double>(inside));
    for (std::size_t b = 0; b < 256; ++b)
      chance += static_cast<double>(inBlock[b]) / n * static_cast<double>(inImage[b]) / n;
    place.chance = chance;
  } else {
    place.chance = *reach;
  }
  const double share = CountingShare(place.chance);

  // The stretch with the largest sum of (1 - share) for an agreeing byte and -share for a
  // differing one: the longest that agrees at the counting share, as bsdiff extends a match
  // while enough of it agrees.
  const auto gain = static_cast<std::int64_t>(std::lround((1 - share) * 1024));
  const auto loss = static_cast<std::int64_t>(std::lround(share * 1024));
  std::int64_t sum = 0;
  std::int64_t bestSum = 0;
  std::uint64_t from = 0;
  std::uint64_t fromAgreeing = 0;
  std::uint64_t bestFrom = 0;
  std::uint64_t bestTo = 0;
  std::uint64_t bestAgreeing = 0;
  walk(0, inside, [&](std::uint64_t at, unsigned char a, unsigned char b) {
    const bool equal = a == b;
    agreeing += equal;
    sum += equal ? gain : -loss;
    if (sum > bestSum) {
      bestSum = sum;
      bestFrom = from;
      bestTo = at + 1;
      bestAgreeing = agreeing - fromAgreeing;
    } else if (sum < 0) {
      sum = 0;
      from = at + 1;
      fromAgreeing = agreeing;
    }
  });

  BlockFound& whole = place.whole;
  whole.start = static_cast<std::uint32_t>(start);
  whole.bytes = inside;
  whole.agreeing = agreeing;
  whole.blockTo = length;
  whole.imageBytes = imageLength;
  BlockFound& found = place.found;
  // Differences within an eighth of the block from its ends still leave it whole: a
  // rewritten first string is no split.
  const std::uint64_t edge = std::max<std::uint64_t>(32, length / 8);
  if (bestTo > bestFrom && bestFrom <= edge && bestTo + edge >= inside) {
    found.blockFrom = 0;
    found.blockTo = length;
    found.bytes = inside;
    found.agreeing = agreeing;
  } else {
    found.blockFrom = bestFrom;
    found.blockTo = bestTo;
    found.bytes = bestTo - bestFrom;
    found.agreeing = bestAgreeing;
  }
  found.start = static_cast<std::uint32_t>(start + found.blockFrom);
  found.imageBytes = imageLength;
  found.exact = found.agreeing == length && found.PartLength() == length;

  const double partLength = static_cast<double>(found.PartLength());
  const double noise = std::sqrt(partLength * place.chance * (1 - place.chance) + 1);
  // A part shorter than this is a phrase that two unrelated blocks may share, not a place.
  const std::uint64_t leastPart = std::max<std::uint64_t>(64, length / 64);
  place.counts =
      found.agreeing >= 16 && found.PartLength() >= std::min(leastPart, length) &&
      static_cast<double>(found.agreeing) >= share * partLength &&
      static_cast<double>(found.agreeing) - place.chance * partLength >= kNoiseMargin * noise;
  if (detail && place.counts) {
    PartGrouping parts(found);
    walk(found.blockFrom, std::min(found.blockTo, inside),
         [&](std::uint64_t at, unsigned char a, unsigned char b) {
           if (a != b)
             parts.Differ(at);
         });
    parts.Close();
  }
  return place;
}

}  // namespace zarneth

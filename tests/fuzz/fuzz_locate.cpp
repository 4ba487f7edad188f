// locate on a block planted in a generated image with fuzzed changes: scattered bytes (at
// most one in a hundred) or one rewritten stretch (at most a twentieth), sometimes running
// past the image's end; a block shorter than 64 bytes planted whole. The best place reported must
// be where the block was planted, with exactly the bytes inside the image and the count of them
// that agree. One input in four instead plants a run of a block that repeats itself (erased
// flash, a fill pattern) in an image of up to 4 MiB: every exact occurrence, overlapping ones
// included, must be reported, as Knuth-Morris-Pratt finds them.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "operations.h"
#include "temp_dir.h"

namespace {

using zarneth::test::Bytes;

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
  std::size_t Number(std::size_t below) {
    std::size_t value = 0;
    for (int i = 0; i < 3; ++i)
      value = value << 8 | (m_at < m_size ? m_data[m_at++] : 0);
    return below == 0 ? 0 : value % below;
  }
  bool More() const { return m_at < m_size; }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size;
  std::size_t m_at = 0;
};

// Every start of `block` in `image`, overlapping ones too (Knuth-Morris-Pratt).
std::vector<std::uint64_t> AllStarts(const Bytes& image, const Bytes& block) {
  std::vector<std::size_t> border(block.size(), 0);
  for (std::size_t i = 1, k = 0; i < block.size(); ++i) {
    while (k > 0 && block[i] != block[k])
      k = border[k - 1];
    k += block[i] == block[k];
    border[i] = k;
  }
  std::vector<std::uint64_t> starts;
  for (std::size_t i = 0, k = 0; i < image.size(); ++i) {
    while (k > 0 && image[i] != block[k])
      k = border[k - 1];
    k += image[i] == block[k];
    if (k == block.size()) {
      starts.push_back(i + 1 - block.size());
      k = border[k - 1];
    }
  }
  return starts;
}

// A run of a self-repeating block in an image of up to 4 MiB: every exact occurrence.
void LocatePeriodic(Reader& in) {
  const std::size_t period = 1 + in.Number(8);
  const std::size_t blockLength = 16 + period + in.Number(1 << 16);
  const std::size_t run = blockLength + in.Number(1 << 18);
  const std::size_t imageLength = run + in.Number((4u << 20) - run);
  const auto seed = static_cast<unsigned>(in.Number(1000));
  const Bytes unit = zarneth::test::Pattern(period, seed);
  Bytes block(blockLength);
  for (std::size_t i = 0; i < blockLength; ++i)
    block[i] = unit[i % period];
  Bytes image = zarneth::test::Pattern(imageLength, seed + 1);
  const std::size_t at = in.Number(imageLength - run + 1);
  for (std::size_t i = 0; i < run; ++i)
    image[at + i] = unit[i % period];

  const zarneth::test::TempDir dir;
  zarneth::test::WriteBytes(dir / "image.bin", image);
  zarneth::test::WriteBytes(dir / "block.bin", block);
  std::vector<std::uint64_t> found;
  const zarneth::LocateResult result = zarneth::Run(zarneth::LocateBlock{
      dir / "image.bin", dir / "block.bin", 0, [&](const zarneth::BlockFound& place) {
        if (!place.exact)
          std::abort();
        found.push_back(place.start);
      }});
  if (!result.status.ok() || found != AllStarts(image, block))
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader in(data, size);
  if (size > 0 && data[0] % 4 == 0) {
    in.Number(1);
    LocatePeriodic(in);
    return 0;
  }
  const std::size_t blockLength = 1 + in.Number(8064);
  const std::size_t imageLength = blockLength + in.Number(40000);
  const auto seed = static_cast<unsigned>(in.Number(1000));
  Bytes image = zarneth::test::Pattern(imageLength, seed);
  // The patterns of two seeds are one sequence at two offsets: the block's is stirred, so
  // that the image cannot hold it by chance.
  Bytes block = zarneth::test::Pattern(blockLength, seed + 1);
  for (std::size_t i = 0; i < blockLength; ++i)
    block[i] = static_cast<unsigned char>(block[i] + i * 37 + (i >> 8));

  // Past the end only with enough of the block inside for its pieces to outvote chance: at
  // least half of it, and 96 bytes.
  const std::size_t enough = std::max<std::size_t>(blockLength / 2, 96);
  const bool pastEnd = in.Number(4) == 0 && blockLength >= 64 && enough < blockLength;
  const std::size_t start = pastEnd ? imageLength - enough - in.Number(blockLength - enough)
                                    : in.Number(imageLength - blockLength + 1);
  Bytes planted = block;
  if (blockLength < 64) {
    // too short for its pieces to vote: only an exact occurrence is found
  } else if (in.Number(2) == 0) {
    for (std::size_t i = 0; i < blockLength / 100 && in.More(); ++i)
      planted[in.Number(blockLength)] ^= static_cast<unsigned char>(1 + in.Number(255));
  } else {
    const std::size_t length = in.Number(blockLength / 20 + 1);
    const std::size_t from = in.Number(blockLength - length + 1);
    for (std::size_t i = from; i < from + length; ++i)
      planted[i] ^= 0x5A;
  }
  std::uint64_t inside = 0;
  std::uint64_t agreeing = 0;
  for (std::size_t i = 0; i < blockLength && start + i < imageLength; ++i) {
    image[start + i] = planted[i];
    ++inside;
    agreeing += planted[i] == block[i];
  }

  const zarneth::test::TempDir dir;
  zarneth::test::WriteBytes(dir / "image.bin", image);
  zarneth::test::WriteBytes(dir / "block.bin", block);
  std::vector<zarneth::BlockFound> places;
  const zarneth::LocateResult result = zarneth::Run(
      zarneth::LocateBlock{dir / "image.bin", dir / "block.bin", 3,
                           [&](const zarneth::BlockFound& found) { places.push_back(found); }});
  // Planted whole and unchanged, it is one of the exact occurrences (a short block stands by
  // chance elsewhere too); changed, or cut by the image's end, it is the best place.
  const auto atStart = [&](const zarneth::BlockFound& found) {
    return found.start == start && found.bytes == inside && found.agreeing == agreeing;
  };
  const bool exact = agreeing == blockLength;
  const bool found = exact ? std::any_of(places.begin(), places.end(), atStart)
                           : !places.empty() && atStart(places.front());
  if (!result.status.ok() || !found)
    std::abort();
  return 0;
}

// Finding blocks: the exact search against a plain one over self-repeating blocks and the
// read window's edges, then locate over a table of images as firmware has them (erased
// flash, changes spread evenly, a block split by insertions, unrelated text in UTF-16,
// ties, a block past the image's end, a block too long to hold).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "block_search.h"
#include "operations.h"
#include "temp_dir.h"

namespace zarneth::test {
namespace {

// The patterns of two seeds are one sequence at two offsets: bytes stirred by their offset
// stand nowhere in a pattern by chance.
Bytes Stirred(std::size_t count, unsigned seed) {
  Bytes bytes = Pattern(count, seed);
  for (std::size_t i = 0; i < count; ++i)
    bytes[i] = static_cast<unsigned char>(bytes[i] + i * 37 + (i >> 8));
  return bytes;
}

Bytes Repeated(std::size_t count, unsigned char byte) {
  return Bytes(count, byte);
}

// `block` with every `step`-th byte changed, from `from`.
Bytes EveryNth(Bytes block, std::size_t step, std::size_t from = 0) {
  for (std::size_t i = from; i < block.size(); i += step)
    block[i] ^= 0x5A;
  return block;
}

// `count` bytes changed at places a fixed generator picks: changes at random.
Bytes Scattered(Bytes block, std::size_t count, unsigned seed) {
  const Bytes picks = Pattern(count * 4, seed);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = (picks[4 * i] | picks[4 * i + 1] << 8 | picks[4 * i + 2] << 16 |
                            static_cast<std::size_t>(picks[4 * i + 3]) << 24) %
                           block.size();
    block[at] ^= 0x33;
  }
  return block;
}

Bytes Planted(Bytes image, const Bytes& block, std::size_t at) {
  for (std::size_t i = 0; i < block.size() && at + i < image.size(); ++i)
    image[at + i] = block[i];
  return image;
}

// Text as UTF-16 from words of a made-up language: the same letters and word lengths for
// every seed, other words.
Bytes Utf16Text(std::size_t characters, unsigned seed) {
  const Bytes noise = Pattern(characters * 2, seed);
  Bytes text;
  for (std::size_t i = 0; text.size() < characters * 2; ++i) {
    const std::size_t length = 2 + noise[i % noise.size()] % 8;
    for (std::size_t j = 0; j < length && text.size() < characters * 2; ++j) {
      text.push_back(static_cast<unsigned char>('a' + noise[(i * 7 + j) % noise.size()] % 26));
      text.push_back(0);
    }
    text.push_back(' ');
    text.push_back(0);
  }
  text.resize(characters * 2);
  return text;
}

// Every start of `block` in `hay`, overlapping ones too.
std::vector<std::uint64_t> PlainSearch(const Bytes& hay, const Bytes& block) {
  std::vector<std::uint64_t> starts;
  for (std::size_t at = 0; at + block.size() <= hay.size(); ++at)
    if (std::equal(block.begin(), block.end(), hay.begin() + static_cast<std::ptrdiff_t>(at)))
      starts.push_back(at);
  return starts;
}

TEST(ExactSearchTest, FindsWhatAPlainSearchFindsAcrossWindows) {
  struct Row {
    const char* name;
    Bytes block;
    Bytes hay;
  };
  const Bytes ab = Concat({Repeated(1, 'a'), Repeated(1, 'b')});
  Bytes abab;
  for (int i = 0; i < 40; ++i)
    abab.insert(abab.end(), ab.begin(), ab.end());
  const Row rows[] = {
      {"one byte", Repeated(1, 7), Planted(Repeated(300, 0), Repeated(1, 7), 299)},
      {"0xFF in a run of 0xFF", Repeated(40, 0xFF),
       Planted(Pattern(700, 1), Repeated(200, 0xFF), 100)},
      {"zeros with a tail", Concat({Repeated(30, 0), Repeated(1, 1)}),
       Planted(Planted(Repeated(500, 0), Repeated(1, 1), 60), Repeated(1, 1), 400)},
      {"period two", Slice(abab, 0, 21), Planted(Pattern(400, 2), abab, 150)},
      {"period two, the other phase", Slice(abab, 1, 20), Planted(Pattern(400, 3), abab, 17)},
      {"a border longer than half", Concat({Pattern(5, 4), Repeated(3, 9), Pattern(5, 4)}),
       Concat({Pattern(5, 4), Repeated(3, 9), Pattern(5, 4), Repeated(3, 9), Pattern(5, 4),
               Repeated(2, 9), Pattern(5, 4), Repeated(3, 9), Pattern(5, 4)})},
      {"no repetition", Slice(Pattern(600, 5), 100, 64),
       Planted(Planted(Pattern(600, 5), Pattern(64, 6), 0), Slice(Pattern(600, 5), 100, 64), 536)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::vector<std::uint64_t> expected = PlainSearch(row.hay, row.block);
    ASSERT_FALSE(expected.empty());
    // Windows as ScanImage gives them, of every size down to one new byte at a time.
    for (const std::size_t fresh :
         {std::size_t{1}, std::size_t{7}, std::size_t{64}, row.hay.size()}) {
      ExactSearch search(row.block);
      std::vector<std::uint64_t> found;
      const std::size_t overlap = search.Overlap();
      for (std::size_t done = 0; done < row.hay.size();) {
        const std::size_t kept = std::min(done, overlap);
        const std::size_t end = std::min(row.hay.size(), done + fresh);
        search.Look(done - kept, {row.hay.data() + done - kept, end - done + kept},
                    [&](std::uint64_t start) { found.push_back(start); });
        done = end;
      }
      EXPECT_EQ(found, expected) << "windows of " << fresh << " new bytes";
    }
  }
}

struct Place {
  std::uint32_t start;
  std::uint64_t blockFrom;
  std::uint64_t blockTo;
  std::uint64_t agreeing;  // 0: not checked
};

class LocateTableTest : public testing::Test {
 protected:
  LocateResult Locate(const Bytes& image, const Bytes& block, std::size_t limit = 3,
                      bool detail = false) {
    WriteBytes(dir / "image.bin", image);
    WriteBytes(dir / "block.bin", block);
    found.clear();
    return zarneth::Run(LocateBlock{dir / "image.bin", dir / "block.bin", limit,
                                    [&](const BlockFound& place) { found.push_back(place); },
                                    detail});
  }
  TempDir dir;
  std::vector<BlockFound> found;
};

TEST_F(LocateTableTest, FindsChangedBlocksHoweverTheirChangesAreSpread) {
  const Bytes image = Pattern(0x100000, 11);
  const Bytes block = Stirred(89156, 12);
  const Bytes text = Utf16Text(30000, 13);
  struct Row {
    const char* name;
    Bytes image;
    Bytes block;
    std::vector<Place> places;  // best first; none: nothing counts
  };
  const Row rows[] = {
      {"one byte in 32 changed evenly",
       Planted(image, EveryNth(block, 32), 0x12345),
       block,
       {{0x12345, 0, 89156, 89156 - 2787}}},
      {"one in 16",
       Planted(image, EveryNth(block, 16, 5), 0x40000),
       block,
       {{0x40000, 0, 89156, 89156 - 5572}}},
      {"one in 8",
       Planted(image, EveryNth(block, 8, 3), 0x7FFF1),
       block,
       {{0x7FFF1, 0, 89156, 89156 - 11145}}},
      {"1% at random",
       Planted(image, Scattered(block, 891, 14), 0x9000),
       block,
       {{0x9000, 0, 89156, 0}}},
      {"a rewritten stretch of a fifth",
       Planted(image, Planted(block, Pattern(17000, 15), 40000), 0x20000),
       block,
       {{0x20000, 0, 89156, 0}}},
      {"split in three by insertions",
       Planted(image,
               Concat({Slice(block, 0, 30000), Pattern(300, 16), Slice(block, 30000, 30000),
                       Pattern(5000, 17), Slice(block, 60000, 29156)}),
               0x50000),
       block,
       {{0x50000, 0, 30000, 30000},
        {0x50000 + 30300, 30000, 60000, 30000},
        {0x50000 + 65300, 60000, 89156, 29156}}},
      {"past the image's end",
       Planted(image, block, 0x100000 - 50000),
       block,
       {{0x100000 - 50000, 0, 89156, 50000}}},
      {"unrelated text in UTF-16",
       Planted(Pattern(0x40000, 18), Utf16Text(60000, 19), 0x8000),
       text,
       {}},
      {"text in UTF-16 with words changed",
       Planted(Pattern(0x40000, 18), Planted(text, Utf16Text(3000, 20), 20000), 0x8001),
       text,
       {{0x8001, 0, 60000, 0}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const LocateResult result = Locate(row.image, row.block);
    ASSERT_TRUE(result.status.ok()) << result.status.reason;
    ASSERT_EQ(found.size(), row.places.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
      EXPECT_EQ(found[i].start, row.places[i].start) << i;
      EXPECT_EQ(found[i].blockFrom, row.places[i].blockFrom) << i;
      EXPECT_EQ(found[i].blockTo, row.places[i].blockTo) << i;
      if (row.places[i].agreeing != 0) {
        EXPECT_EQ(found[i].agreeing, row.places[i].agreeing) << i;
      }
    }
    if (row.places.empty()) {
      // The answer says what the best was and what chance reaches: a block that changed a
      // lot can be told from one that is absent.
      ASSERT_TRUE(result.best.has_value());
      EXPECT_GT(result.chance, 0.3);  // UTF-16 agrees on its zero bytes
      EXPECT_EQ(result.best->PartLength(), row.block.size());
      EXPECT_GT(result.best->agreeing * 10, result.best->PartLength() * 3);
    }
  }
}

TEST_F(LocateTableTest, SaysWhatItLeavesOut) {
  const Bytes block = Stirred(4096, 21);
  const Bytes changed = EveryNth(block, 100, 7);
  Bytes image = Pattern(0x80000, 22);
  for (std::size_t at = 0x1000; at < 0x1000 + 5 * 0x10000; at += 0x10000)
    image = Planted(image, changed, at);
  // Five places at one share: three shown, two more said.
  LocateResult result = Locate(image, block);
  ASSERT_TRUE(result.status.ok()) << result.status.reason;
  EXPECT_EQ(found.size(), 3u);
  EXPECT_EQ(result.tied, 2u);
  EXPECT_EQ(Locate(image, block, 0).tied, 0u);
  EXPECT_EQ(found.size(), 5u);

  // Erased flash: occurrences overlapping the one shown are counted, or all listed.
  const Bytes erased = Planted(Pattern(0x40000, 23), Repeated(0x20000, 0xFF), 0x8000);
  result = Locate(erased, Repeated(0x10000, 0xFF));
  ASSERT_TRUE(result.status.ok());
  EXPECT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].start, 0x8000u);
  EXPECT_EQ(found[1].start, 0x18000u);
  EXPECT_EQ(result.overlapping, 0x10000u + 1 - 2);
  EXPECT_EQ(Locate(erased, Repeated(0x10000, 0xFF), 0).places, 0x10001u);

  // In detail: the parts that differ, merged as compare merges them, by block offsets.
  Bytes rewritten = Planted(block, Pattern(27, 24), 0x144);
  rewritten[0x200] ^= 1;
  rewritten[0x20A] ^= 1;
  result = Locate(Planted(Pattern(0x40000, 25), rewritten, 0x3000), block, 3, true);
  ASSERT_EQ(found.size(), 1u);
  std::vector<std::pair<std::uint64_t, std::uint64_t>> parts;
  for (const DifferingPart& part : found[0].differing)
    parts.emplace_back(part.from, part.bytes);
  // The pattern written may agree by chance at a byte or two of its ends: within them.
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_GE(parts[0].first, 0x144u);
  EXPECT_LE(parts[0].first + parts[0].second, 0x144u + 27);
  EXPECT_EQ(parts[1], std::make_pair(std::uint64_t{0x200}, std::uint64_t{11}));
  EXPECT_EQ(found[0].differingParts, 2u);
}

TEST_F(LocateTableTest, ABlockTooLongToHoldIsReadFromItsFile) {
  const std::size_t length = BlockBytes::kHeldBlockBytes + 0x10000;
  const Bytes block = Stirred(length, 31);
  const Bytes image = Pattern(3 * length, 32);
  LocateResult result = Locate(Planted(image, block, 0x123457), block);
  ASSERT_TRUE(result.status.ok()) << result.status.reason;
  ASSERT_EQ(found.size(), 1u);
  EXPECT_TRUE(found[0].exact);
  EXPECT_EQ(found[0].start, 0x123457u);

  result = Locate(Planted(image, EveryNth(block, 8), 0x200000), block);
  ASSERT_TRUE(result.status.ok()) << result.status.reason;
  ASSERT_FALSE(found.empty());
  EXPECT_FALSE(found[0].exact);
  EXPECT_EQ(found[0].start, 0x200000u);
  EXPECT_EQ(found[0].agreeing, length - (length + 7) / 8);
}

}  // namespace
}  // namespace zarneth::test

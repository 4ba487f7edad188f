// locate, compare and patch --replace on images with planted blocks, each from a table: the
// lines a script reads, the exit code, and for --replace the files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli_runner.h"
#include "quoted_name.h"

namespace zarneth::test {
namespace {

constexpr std::size_t kBlockLength = 89156;  // as long as the V138 block

// `bytes` with every `step`-th byte from `from` (count of them) changed.
Bytes Changed(Bytes bytes, std::size_t from, std::size_t count, std::size_t step = 1) {
  for (std::size_t i = 0; i < count; ++i)
    bytes[from + i * step] ^= 0xA5;
  return bytes;
}
// `image` with `block` written over it at `at`, cut off where the image ends.
Bytes Planted(Bytes image, const Bytes& block, std::size_t at) {
  for (std::size_t i = 0; i < block.size() && at + i < image.size(); ++i)
    image[at + i] = block[i];
  return image;
}

class SearchCommandsTest : public testing::Test {
 protected:
  TempDir dir;
  std::string image = dir / "image.bin";
  std::string block = dir / "block.bin";
  std::string other = dir / "other.bin";
  Bytes base = Pattern(0x200000, 1);
  Bytes blockBytes = Pattern(kBlockLength, 2);
  // Three strings of 40 bytes rewritten: the changes of a translated block.
  Bytes clustered = Changed(Changed(Changed(blockBytes, 1000, 40), 30000, 40), 70000, 40);
  // One byte in a hundred changed, spread over the whole block.
  Bytes scattered = Changed(blockBytes, 50, kBlockLength / 100, 100);

  CliRun Run(const std::vector<std::string>& args) const { return RunCli(args, dir); }
};

TEST_F(SearchCommandsTest, LocateFindsExactAndChangedBlocks) {
  const std::string exact = "start   end     bytes    agree   model\n";
  // A changed block's places say which part of the block each holds.
  const std::string near = "start   end     bytes    agree   block            model\n";
  struct Row {
    const char* name;
    Bytes image;
    std::vector<std::string> extra;
    int exitCode;
    std::string out;
  };
  Bytes fiveTimes = base;
  for (std::size_t at = 0x10000; at < 0x10000 + 5 * 0x20000; at += 0x20000)
    fiveTimes = Planted(fiveTimes, scattered, at);
  const Row rows[] = {
      {"exact, at the V138 start",
       Planted(base, blockBytes, 0x1C7800),
       {},
       0,
       exact + "1C7800  1DD443  89156    100.0%  V138\n"},
      {"exact at two places, in address order",
       Planted(Planted(base, blockBytes, 0x80000), blockBytes, 0x1000),
       {},
       0,
       exact + "001000  016C43  89156    100.0%  -\n080000  095C43  89156    100.0%  -\n"},
      {"the V135 start, which V136 shares",
       Planted(base, blockBytes, 0x1CD800),
       {},
       0,
       exact + "1CD800  1E3443  89156    100.0%  V135,V136\n"},
      {"three strings rewritten",
       Planted(base, clustered, 0x1C7A00),
       {},
       0,
       near + "1C7A00  1DD643  89156    99.8%   +000000-+015C43  -\n"},
      {"three strings rewritten, in detail",
       Planted(base, clustered, 0x1C7A00),
       {"--detail"},
       0,
       near + "1C7A00  1DD643  89156    99.8%   +000000-+015C43  -\n"
              "  differs +0003E8 +00040F 40\n  differs +007530 +007557 40\n"
              "  differs +011170 +011197 40\n"},
      {"one byte in a hundred changed",
       Planted(base, scattered, 0x100003),
       {},
       0,
       near + "100003  115C46  89156    99.0%   +000000-+015C43  -\n"},
      {"past the image's end",
       Slice(Planted(base, blockBytes, 0x1C7800), 0, 0x1C7800 + 50000),
       {},
       0,
       near + "1C7800  1D3B4F  50000    56.0%   +000000-+015C43  V138\n"},
      {"an exact occurrence hides a changed one",
       Planted(Planted(base, clustered, 0x1000), blockBytes, 0x80000),
       {},
       0,
       exact + "080000  095C43  89156    100.0%  -\n"},
      {"changed at two places, best first",
       Planted(Planted(base, scattered, 0x1000), clustered, 0x80000),
       {"--all"},
       0,
       near + "080000  095C43  89156    99.8%   +000000-+015C43  -\n"
              "001000  016C43  89156    99.0%   +000000-+015C43  -\n"},
      {"five at one share: the two not shown are said",
       fiveTimes,
       {},
       0,
       near + "010000  025C43  89156    99.0%   +000000-+015C43  -\n"
              "030000  045C43  89156    99.0%   +000000-+015C43  -\n"
              "050000  065C43  89156    99.0%   +000000-+015C43  -\n"
              "and 2 more places at 99.0%; --all lists them\n"},
      {"absent", base, {}, 1, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteBytes(image, row.image);
    WriteBytes(block, blockBytes);
    std::vector<std::string> args = {"locate", "--source", image, "--transcript", block};
    args.insert(args.end(), row.extra.begin(), row.extra.end());
    const CliRun run = Run(args);
    EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
    EXPECT_EQ(run.out, row.out);
  }
  // Where nothing counts, the answer gives the best place's share and what chance reaches.
  WriteBytes(image, base);
  const CliRun absent = Run({"locate", "--source", image, "--transcript", block});
  EXPECT_NE(absent.err.find("exactly or clearly more of them than chance would: "),
            std::string::npos)
      << absent.err;

  // A block too short for pieces of its own is still found where it stands exactly.
  WriteBytes(dir / "one.bin", Slice(base, 0x10, 1));
  const CliRun one = Run({"locate", "--source", image, "--transcript", dir / "one.bin"});
  EXPECT_EQ(one.exitCode, 0) << one.err;
  EXPECT_NE(one.out.find("\n000010  000010  1        100.0%  -\n"), std::string::npos);

  // What cannot be looked for is trouble (2), not "not found".
  WriteBytes(dir / "empty.bin", {});
  for (const std::string& missing : {dir / "empty.bin", dir / "missing.bin"}) {
    const CliRun run = Run({"locate", "--source", image, "--transcript", missing});
    EXPECT_EQ(run.exitCode, 2) << missing;
    EXPECT_NE(run.err.find(QuotedName(missing)), std::string::npos) << run.err;
  }
}

TEST_F(SearchCommandsTest, CompareGroupsTheDifferingRanges) {
  const Bytes changed = Changed(Changed(base, 0x1C7810, 4), 0x1C7820, 4);  // 12 equal between
  struct Row {
    const char* name;
    Bytes with;
    std::vector<std::string> extra;
    int exitCode;
    std::string out;
  };
  const std::string only = "only in " + QuotedName(other);
  const Row rows[] = {
      {"the same", base, {}, 0, "0 ranges, 0 bytes differ\n"},
      {"two changes close together are one range",
       changed,
       {},
       1,
       "start   end     bytes\n1C7810  1C7823  20\n1 range, 20 bytes; 8 of them differ\n"},
      {"changes 16 equal bytes apart are two",
       Changed(Changed(base, 0x10, 1), 0x21, 1),
       {},
       1,
       "start   end     bytes\n000010  000010  1\n000021  000021  1\n2 ranges, 2 bytes; 2 of them "
       "differ\n"},
      {"the longer image's rest is a range of its own",
       Concat({Changed(base, 0x1FFFFF, 1), Pattern(100, 3)}),
       {},
       1,
       "start   end     bytes\n1FFFFF  1FFFFF  1\n200000  200063  100      " + only +
           "\n2 ranges, 101 bytes; 101 of them differ\n"},
      {"only within the model's range",
       Changed(changed, 0x1000, 1),
       {"--model", "V138"},
       1,
       "start   end     bytes\n1C7810  1C7823  20\n1 range, 20 bytes; 8 of them differ\n"},
      {"a range past the end of both", base, {"--start", "300000"}, 2, ""},
  };
  WriteBytes(image, base);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteBytes(other, row.with);
    std::vector<std::string> args = {"compare", "--source", image, "--with", other};
    args.insert(args.end(), row.extra.begin(), row.extra.end());
    const CliRun run = Run(args);
    EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
    EXPECT_EQ(run.out, row.out);
    EXPECT_EQ(run.err.find("locate"), std::string::npos) << run.err;
  }
  // Images that differ in a hundred ranges may hold moved bytes: compare points to locate.
  WriteBytes(other, Changed(base, 0x100, 100, 64));
  const CliRun many = Run({"compare", "--source", image, "--with", other});
  EXPECT_EQ(many.exitCode, 1);
  EXPECT_NE(many.out.find("100 ranges, 100 bytes; 100 of them differ\n"), std::string::npos);
  EXPECT_NE(many.err.find("'zarneth-cli locate' finds where"), std::string::npos) << many.err;
}

TEST_F(SearchCommandsTest, PatchReplaceWritesOnlyWhereTheBlockStandsOnce) {
  const std::string transcript = dir / "transcript.bin";
  const std::string output = dir / "out.bin";
  const Bytes planted = Planted(base, blockBytes, 0x1C7A00);
  const Bytes shorter = Pattern(80000, 4);
  struct Row {
    const char* name;
    Bytes image;
    Bytes transcript;
    std::vector<std::string> extra;
    int exitCode;
    std::string said;  // in the done line or the refusal
  };
  const Row rows[] = {
      {"where the block stands",
       planted,
       shorter,
       {},
       0,
       "at 0x1C7A00, CRC-32 " + CrcOf(shorter) +
           "; the last 9156 bytes of the old block stay as they were"},
      {"where it stands changed, with the least share that agrees",
       Planted(base, clustered, 0x1C7A00),
       shorter,
       {"--min-agree", "99.5"},
       0,
       "; 99.8% of the replaced block agreed there"},
      {"changed, asked for exactly",
       Planted(base, clustered, 0x1C7A00),
       shorter,
       {},
       1,
       "does not stand byte for byte"},
      {"changed more than allowed",
       Planted(base, clustered, 0x1C7A00),
       shorter,
       {"--min-agree", "99.9"},
       1,
       "not even with 99.9% of its bytes agreeing"},
      {"changed at two places",
       Planted(Planted(base, clustered, 0x1C7A00), scattered, 0x1000),
       shorter,
       {"--min-agree", "90"},
       1,
       "with 90% of its bytes agreeing at 2 places, 0x1000 and 0x1C7A00: it must stand at one"},

      {"nowhere", base, shorter, {}, 1, "does not stand byte for byte in source file"},
      {"twice",
       Planted(planted, blockBytes, 0x1000),
       shorter,
       {},
       1,
       "at 2 places, 0x1000 and 0x1C7A00: it must stand at one; 'zarneth-cli locate' shows"},
      {"a longer transcript",
       planted,
       Pattern(kBlockLength + 10, 4),
       {},
       1,
       "is longer than the block " + QuotedName(block) +
           " it replaces (89156 bytes): 10 bytes after the block, up to 0x1DD64D, would be "
           "overwritten; give --allow-overrun"},
      {"a longer transcript, allowed",
       planted,
       Pattern(kBlockLength + 10, 4),
       {"--allow-overrun"},
       0,
       "at 0x1C7A00"},
      {"with a model too", planted, shorter, {"--model", "V138"}, 2, "without --model"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove(output);
    WriteBytes(image, row.image);
    WriteBytes(block, blockBytes);
    WriteBytes(transcript, row.transcript);
    std::vector<std::string> args = {"patch",        "--source", image,
                                     "--transcript", transcript, "--replace",
                                     block,          "--output", output};
    args.insert(args.end(), row.extra.begin(), row.extra.end());
    const CliRun run = Run(args);
    EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
    EXPECT_NE((run.out + run.err).find(row.said), std::string::npos) << run.out << run.err;
    EXPECT_EQ(ReadBytes(image), row.image);
    if (run.exitCode == 0)
      EXPECT_EQ(ReadBytes(output), Planted(row.image, row.transcript, 0x1C7A00));
    else
      EXPECT_FALSE(std::filesystem::exists(output));
  }
}

#ifdef __linux__
// A file whose size says nothing (0 in /proc) is read to its end: its bytes are compared,
// searched and verified, not its size.
TEST_F(SearchCommandsTest, FilesAreReadToTheirEndWhateverTheirSizeSays) {
  const std::string proc = "/proc/version";
  std::ifstream in(proc, std::ios::binary);
  const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_GT(bytes.size(), 20u);
  WriteBytes(other, bytes);
  WriteBytes(block, Slice(bytes, 4, 12));
  const CliRun same = Run({"compare", "--source", proc, "--with", other});
  EXPECT_EQ(same.exitCode, 0) << same.out << same.err;
  WriteBytes(other, Changed(bytes, 3, 1));
  const CliRun differs = Run({"compare", "--source", proc, "--with", other});
  EXPECT_EQ(differs.exitCode, 1) << differs.err;
  EXPECT_NE(differs.out.find("1 range, 1 byte; 1 of them differs"), std::string::npos)
      << differs.out;
  const CliRun found = Run({"locate", "--source", proc, "--transcript", block});
  EXPECT_EQ(found.exitCode, 0) << found.err;
  EXPECT_NE(found.out.find("\n000004  00000F  12"), std::string::npos) << found.out;
  const CliRun verified = Run({"verify", "--source", other, "--start", "4", "--transcript", block});
  EXPECT_EQ(verified.exitCode, 0) << verified.out << verified.err;
}
#endif

}  // namespace
}  // namespace zarneth::test

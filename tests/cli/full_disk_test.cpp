// A run onto a full file system (a 1 MiB tmpfs) fails with a file error and leaves the
// folder exactly as it was: no half-written file, no temporary file, no journal.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "cli_runner.h"
#include "platform_files.h"

namespace zarneth::test {
namespace {

class FullDiskTest : public testing::Test {
 protected:
  TempDir dir;
  TempDir logs;
  std::filesystem::path disk = dir.Path() / "disk";
  std::optional<ScopedSmallDisk> mounted;

  void SetUp() override {
    std::filesystem::create_directory(disk);
    mounted.emplace(disk.string());
    if (!mounted->Reason().empty())
      GTEST_SKIP() << mounted->Reason() << "; the engine's DiskFull test covers this";
  }
  std::string On(const char* name) const { return (disk / name).string(); }
};

// Invariants 1 and 5 of the save (save_file.h).
TEST_F(FullDiskTest, EveryKindOfRunFailsCleanly) {
  WriteBytes(On("image.bin"), Pattern(600 << 10, 1));
  WriteBytes(On("transcript.bin"), Pattern(250 << 10, 2));
  WriteBytes(On("out.bin"), Pattern(100 << 10, 3));
  const std::vector<std::string> runs[] = {
      {"patch", "--source", On("image.bin"), "--transcript", On("transcript.bin"), "--start", "0",
       "--output", On("out.bin")},
      {"patch", "--source", On("image.bin"), "--transcript", On("transcript.bin"), "--start", "0",
       "--output", On("new.bin")},
      {"cut", "--source", On("image.bin"), "--start", "0", "--end", "3FFFF", "--output",
       On("out.bin")},
      {"patch", "--source", On("image.bin"), "--transcript", On("transcript.bin"), "--start", "0",
       "--in-place"},
  };
  const FolderListing before = ListFolder(disk);
  for (const auto& args : runs) {
    const CliRun run = RunCli(args, logs);
    EXPECT_EQ(run.exitCode, 3) << args[0] << " " << args.back() << ": " << run.err;
    EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
    EXPECT_TRUE(ListFolder(disk) == before) << args[0] << " " << args.back() << " left debris";
  }
}

// A USB stick's FAT, through fusefat: no modes, no second names, no rename that keeps an
// existing file. New files are made whole (with the mode FAT gives), and every dry run says
// what its real run then does.
TEST(FatDiskTest, NewFilesAreMadeAndDryRunsAgree) {
  TempDir dir;
  TempDir logs;
  const std::filesystem::path stick = dir.Path() / "stick";
  std::filesystem::create_directory(stick);
  const ScopedFatDisk mounted(stick.string());
  if (!mounted.Reason().empty())
    GTEST_SKIP() << mounted.Reason() << "; the engine's dry-run rows cover this";
  const auto on = [&](const char* name) { return (stick / name).string(); };
  // An image from a private folder, read-only: a new file takes its mode, which FAT cannot.
  const std::string image = dir / "image.bin";
  WriteBytes(image, Pattern(0x10000, 1));
  WriteBytes(on("image.bin"), Pattern(0x10000, 1));
  WriteBytes(on("transcript.bin"), Pattern(0x100, 2));
  std::filesystem::permissions(image, std::filesystem::perms::owner_read);
  struct Row {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
  };
  const Row rows[] = {
      {"a cut to a new name",
       {"cut", "--source", image, "--start", "10", "--end", "FF", "--output", on("cut.bin")},
       0},
      {"a patched copy to a new name",
       {"patch", "--source", image, "--transcript", on("transcript.bin"), "--start", "100",
        "--output", on("copy.bin")},
       0},
      {"in place with a backup",
       {"patch", "--source", on("image.bin"), "--transcript", on("transcript.bin"), "--start",
        "100", "--in-place", "--backup"},
       1},
      {"no clobber",
       {"cut", "--source", image, "--start", "10", "--end", "FF", "--output", on("kept.bin"),
        "--no-clobber"},
       1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<std::string> dry = row.args;
    dry.push_back("--dry-run");
    const CliRun dryRun = RunCli(dry, logs);
    const FolderListing before = ListFolder(stick);
    const CliRun run = RunCli(row.args, logs);
    EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
    EXPECT_EQ(dryRun.exitCode, run.exitCode) << dryRun.out << dryRun.err;
    if (run.exitCode == 0) {
      const std::string& made = row.args[8];  // what --output names
      EXPECT_EQ(ReadBytes(made).size(), row.args[0] == "cut" ? 0xF0u : 0x10000u);
    } else {
      EXPECT_TRUE(ListFolder(stick) == before) << "a refused run left debris";
    }
  }
}

}  // namespace
}  // namespace zarneth::test

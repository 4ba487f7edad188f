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

}  // namespace
}  // namespace zarneth::test

// A run onto a full file system (a 1 MiB tmpfs) fails with a file error and leaves the
// folder exactly as it was: no half-written file, no temporary file, no journal.
#include <gtest/gtest.h>
#ifdef __linux__
#include <sys/mount.h>
#endif

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "cli_runner.h"

namespace zarneth::test {
namespace {

class FullDiskTest : public testing::Test {
 protected:
  TempDir dir;
  TempDir logs;
  std::filesystem::path disk = dir.Path() / "disk";

  void SetUp() override {
    std::filesystem::create_directory(disk);
#ifndef __linux__
    GTEST_SKIP() << "needs a small tmpfs mount (Linux); the engine's DiskFull test covers this";
#else
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=1m") != 0)
      GTEST_SKIP() << "cannot mount a small tmpfs here (" << std::strerror(errno)
                   << "); the full-disk test needs root and the right to mount";
#endif
  }
#ifdef __linux__
  void TearDown() override {
    ::umount2(disk.c_str(), MNT_DETACH);
  }
#endif
  std::string On(const char* name) const {
    return (disk / name).string();
  }
};

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

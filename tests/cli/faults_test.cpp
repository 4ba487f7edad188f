// Faults a user's machine can throw at a run: missing folders, directories, FIFOs, dangling
// links. Each gives a clear failure and leaves everything else as it was.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_runner.h"
#include "platform_files.h"

namespace zarneth::test {
namespace {

struct Fault {
  const char* name;
  std::vector<std::string> args;
  std::string reason;
};

class FaultsTest : public testing::Test {
 protected:
  TempDir dir;
  std::string image = dir / "image.bin";
  std::string transcript = dir / "transcript.bin";
  Bytes imageBytes = Pattern(0x1000, 1);
  Bytes transcriptBytes = Pattern(0x100, 2);

  bool hasFifoAndLink = false;

  void SetUp() override {
    WriteBytes(image, imageBytes);
    WriteBytes(transcript, transcriptBytes);
    hasFifoAndLink = MakeFifoAndDanglingLink(dir.Path().string());
  }
  void ExpectEachFailsClearly(const std::vector<Fault>& faults);
  std::size_t Entries() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.Path()),
                                                  std::filesystem::directory_iterator()));
  }
};

void FaultsTest::ExpectEachFailsClearly(const std::vector<Fault>& faults) {
  const std::size_t entries = Entries() + 2;  // the runner's stdout.txt and stderr.txt
  for (const Fault& f : faults) {
    const CliRun run = RunCli(f.args, dir);
    EXPECT_EQ(run.exitCode, 1) << f.name << ": " << run.err;
    EXPECT_NE(run.err.find(f.reason), std::string::npos) << f.name << ": " << run.err;
    EXPECT_EQ(ReadBytes(image), imageBytes) << f.name;
    EXPECT_EQ(ReadBytes(transcript), transcriptBytes) << f.name;
    EXPECT_FALSE(std::filesystem::exists(dir / "gone.bin")) << f.name;
  }
  EXPECT_EQ(Entries(), entries) << "no run left a file behind";
}

// Invariant 1 of the save (save_file.h).
TEST_F(FaultsTest, EachFaultFailsClearlyAndChangesNothing) {
  const std::string folder = dir.Path().string();
  ExpectEachFailsClearly({
      {"destination folder missing",
       {"patch", "--source", image, "--transcript", transcript, "--start", "0", "--output",
        dir / "no/such/folder/out.bin"},
       MissingFolderText()},
      {"source is a directory",
       {"cut", "--source", folder, "--start", "0", "--end", "1", "--output", dir / "o.bin"},
       "Is a directory"},
      {"transcript is a directory",
       {"patch", "--source", image, "--transcript", folder, "--start", "0", "--in-place"},
       "Is a directory"},
      {"transcript is a device",
       {"patch", "--source", image, "--transcript", kDevicePath, "--start", "0", "--in-place"},
       "it is a device, not a regular file"},
  });
}

TEST_F(FaultsTest, FifosAndDanglingLinksFailClearlyAndChangeNothing) {
  if (!hasFifoAndLink)
    GTEST_SKIP() << kNoFifosOrLinks;
  const std::string fifo = dir / "fifo";
  const std::string dangling = dir / "dangling";
  ExpectEachFailsClearly({
      {"source is a FIFO",
       {"patch", "--source", fifo, "--transcript", transcript, "--start", "0", "--in-place"},
       "not a regular file"},
      {"transcript is a FIFO",
       {"patch", "--source", image, "--transcript", fifo, "--start", "0", "--in-place"},
       "not a regular file"},
      {"destination is a FIFO",
       {"cut", "--source", image, "--start", "0", "--end", "F", "--output", fifo},
       "cannot create destination file"},
      {"source is a dangling link",
       {"cut", "--source", dangling, "--start", "0", "--end", "F", "--output", dir / "o.bin"},
       MissingFileText()},
      {"destination is a dangling link",
       {"patch", "--source", image, "--transcript", transcript, "--start", "0", "--output",
        dangling},
       "symbolic link to a file that does not exist"},
  });
}

}  // namespace
}  // namespace zarneth::test

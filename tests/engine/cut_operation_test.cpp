#include "cut_operation.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "c_file.h"
#include "model_presets.h"
#include "posix_calls.h"
#include "temp_dir.h"

namespace zarneth {
namespace {

using test::Bytes;
using test::Pattern;
using test::ReadBytes;
using test::Slice;
using test::TempDir;
using test::WriteBytes;

class CutTest : public testing::Test {
 protected:
  TempDir dir;
  std::string source = dir / "image.bin";
  std::string destination = dir / "block.bin";
  Bytes sourceBytes = Pattern(0x200000, 3);

  void SetUp() override { WriteBytes(source, sourceBytes); }
  PatchJob Job(std::string start, std::string end) const {
    PatchJob job;
    job.mode = PatchMode::Cut;
    job.sourcePath = source;
    job.transcriptPath = "ignored in cut mode";
    job.destinationPath = destination;
    job.startText = std::move(start);
    job.endText = std::move(end);
    return job;
  }
};

TEST_F(CutTest, CopiesEachPresetRangeWholeAndInclusive) {
  for (const ModelPreset& preset : kModelPresets) {
    const RunResult result =
        RunJob(Job(std::string(preset.startText), std::string(preset.endText)));
    ASSERT_EQ(result.outcome, PatchOutcome::Done) << preset.model;
    EXPECT_EQ(ReadBytes(destination), Slice(sourceBytes, result.start, result.cutLength))
        << preset.model;
  }
  // V138's range is longer than the buffer and goes through it in two pieces.
  EXPECT_GT(RunJob(Job("1C7800", "1DD443")).cutLength, kCutBufferSize);
  EXPECT_EQ(RunJob(Job("1CD800", "1DFFFF")).cutLength, 75776u);
  EXPECT_EQ(ReadBytes(source), sourceBytes);
}

TEST_F(CutTest, SingleByteAndEmptyRanges) {
  RunResult result = RunJob(Job("10", "10"));
  EXPECT_EQ(result.cutLength, 1u);
  EXPECT_EQ(ReadBytes(destination), Slice(sourceBytes, 0x10, 1));

  result = RunJob(Job("10", "F"));
  EXPECT_EQ(result.outcome, PatchOutcome::Done);
  EXPECT_EQ(result.cutLength, 0u);
  EXPECT_EQ(ReadBytes(destination).size(), 0u);
}

TEST_F(CutTest, ARangeOutsideTheSourceFailsAndLeavesTheDestinationEmpty) {
  for (auto [start, end] : {std::pair{"1FFFFF", "200000"}, std::pair{"300000", "300010"},
                            std::pair{"10", "E"}, std::pair{"1", "FFFFFFFF"}}) {
    WriteBytes(destination, Pattern(10, 4));
    const RunResult result = RunJob(Job(start, end));
    EXPECT_EQ(result.outcome, PatchOutcome::Failed) << start << ".." << end;
    EXPECT_FALSE(result.failureReason.empty());
    EXPECT_EQ(ReadBytes(destination).size(), 0u) << start << ".." << end;
  }
  EXPECT_EQ(ReadBytes(source), sourceBytes);
}

TEST_F(CutTest, AStartAtOrAbove2GiBIsAFileErrorWithAnEmptyDestination) {
  WriteBytes(destination, Pattern(10, 4));
  EXPECT_THROW(RunJob(Job("80000000", "80000010")), CFileException);
  EXPECT_EQ(ReadBytes(destination).size(), 0u);
  EXPECT_TRUE(CFile().Open(destination, CFile::modeReadWrite)) << "the run closed its files";
}

TEST_F(CutTest, EmptyPathsReadOnlySourceAndSharedFilesFail) {
  PatchJob noSource = Job("0", "F");
  noSource.sourcePath.clear();
  PatchJob noDestination = Job("0", "F");
  noDestination.destinationPath.clear();
  PatchJob sameFile = Job("0", "F");
  sameFile.destinationPath = source;
  for (const PatchJob& job : {noSource, noDestination, sameFile})
    EXPECT_EQ(RunJob(job).outcome, PatchOutcome::Failed) << job.destinationPath;
  EXPECT_EQ(ReadBytes(source), sourceBytes);

  ::chmod(source.c_str(), 0444);
  EXPECT_EQ(RunJob(Job("0", "F")).outcome, PatchOutcome::Failed);
  EXPECT_FALSE(std::filesystem::exists(destination));
}

TEST_F(CutTest, ASourceThatShrinksMidRunLeavesTheDestinationEmpty) {
  // The first piece reads whole; then the source ends early, as if cut short meanwhile.
  static int reads;
  reads = 0;
  ScopedPosixCalls shrinking({[](int fd, void* buffer, std::size_t count) -> ssize_t {
                                return ++reads == 1 ? ::read(fd, buffer, count) : 0;
                              },
                              ActivePosixCalls().write});
  const RunResult result = RunJob(Job("1C7800", "1DD443"));
  EXPECT_EQ(result.outcome, PatchOutcome::Failed);
  EXPECT_NE(result.failureReason.find("came up short"), std::string::npos);
  EXPECT_EQ(ReadBytes(destination).size(), 0u);
}

TEST_F(CutTest, IgnoresTheCreateNewFlag) {
  PatchJob job = Job("0", "F");
  job.createNewFile = false;
  EXPECT_EQ(RunJob(job).outcome, PatchOutcome::Done);
  EXPECT_EQ(ReadBytes(destination), Slice(sourceBytes, 0, 16));
}

}  // namespace
}  // namespace zarneth

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "c_file.h"
#include "hex_address.h"
#include "patch_job.h"
#include "posix_calls.h"
#include "temp_dir.h"

namespace zarneth {
namespace {

using test::Bytes;
using test::Concat;
using test::Pattern;
using test::ReadBytes;
using test::Slice;
using test::TempDir;
using test::WriteBytes;

class ZarnethTest : public testing::Test {
 protected:
  TempDir dir;
  std::string source = dir / "image.bin";
  std::string transcript = dir / "transcript.bin";
  std::string destination = dir / "patched.bin";

  void Files(std::size_t sourceSize, std::size_t transcriptSize) {
    sourceBytes = Pattern(sourceSize, 1);
    transcriptBytes = Pattern(transcriptSize, 2);
    WriteBytes(source, sourceBytes);
    WriteBytes(transcript, transcriptBytes);
  }
  PatchJob Job(bool createNew, std::string start) const {
    PatchJob job;
    job.createNewFile = createNew;
    job.sourcePath = source;
    job.transcriptPath = transcript;
    job.destinationPath = destination;
    job.startText = std::move(start);
    return job;
  }
  void ExpectInputsUnchanged() const {
    EXPECT_EQ(ReadBytes(source), sourceBytes);
    EXPECT_EQ(ReadBytes(transcript), transcriptBytes);
  }

  Bytes sourceBytes;
  Bytes transcriptBytes;
};

TEST_F(ZarnethTest, InPlaceReplacesTheBytesAtStart) {
  Files(100, 10);
  const RunResult result = RunJob(Job(false, "10"));
  EXPECT_EQ(result.outcome, PatchOutcome::Done);
  EXPECT_EQ(result.start, 0x10u);
  EXPECT_EQ(ReadBytes(source),
            Concat({Slice(sourceBytes, 0, 16), transcriptBytes, Slice(sourceBytes, 26, 74)}));
  EXPECT_EQ(ReadBytes(transcript), transcriptBytes);
}

TEST_F(ZarnethTest, InPlacePastTheEndGrowsTheSourceWithAGap) {
  Files(100, 10);
  ASSERT_EQ(RunJob(Job(false, "c8")).outcome, PatchOutcome::Done);
  EXPECT_EQ(ReadBytes(source), Concat({sourceBytes, Bytes(100, 0), transcriptBytes}));
}

TEST_F(ZarnethTest, InPlaceIgnoresTheDestinationEvenWhenEmpty) {
  Files(100, 10);
  PatchJob job = Job(false, "0");
  job.destinationPath.clear();
  EXPECT_EQ(RunJob(job).outcome, PatchOutcome::Done);
  EXPECT_FALSE(std::filesystem::exists(destination));
}

TEST_F(ZarnethTest, InPlaceStartAtOrAbove2GiBIsAFileErrorWithNothingWritten) {
  Files(100, 10);
  EXPECT_THROW(RunJob(Job(false, "80000000")), CFileException);
  ExpectInputsUnchanged();
  EXPECT_TRUE(CFile().Open(source, CFile::modeReadWrite)) << "the run closed its files";
}

TEST_F(ZarnethTest, InPlaceShortTranscriptLeavesTheSourceUntouched) {
  Files(100, 10);
  // The transcript shrinks between measuring and reading: the read ends early.
  ScopedPosixCalls shortRead(
      {[](int, void*, std::size_t) -> ssize_t { return 0; }, ActivePosixCalls().write});
  const RunResult result = RunJob(Job(false, "10"));
  EXPECT_EQ(result.outcome, PatchOutcome::Failed);
  EXPECT_NE(result.failureReason.find("came up short"), std::string::npos);
  ExpectInputsUnchanged();
}

TEST_F(ZarnethTest, NewFileSplicesTheTranscriptIntoACopy) {
  struct Case {
    std::size_t sourceSize, transcriptSize;
    const char* start;
    std::size_t startValue;
  };
  for (const Case c : {Case{100, 10, "5A", 90}, Case{100, 10, "10", 16}, Case{100, 0, "10", 16}}) {
    Files(c.sourceSize, c.transcriptSize);
    const RunResult result = RunJob(Job(true, c.start));
    ASSERT_EQ(result.outcome, PatchOutcome::Done) << c.start;
    const std::size_t tail = c.sourceSize - c.startValue - c.transcriptSize;
    EXPECT_EQ(ReadBytes(destination),
              Concat({Slice(sourceBytes, 0, c.startValue), transcriptBytes,
                      Slice(sourceBytes, c.startValue + c.transcriptSize, tail)}))
        << c.start << " with a transcript of " << c.transcriptSize;
    EXPECT_EQ(result.bytesWritten, c.sourceSize);
    ExpectInputsUnchanged();
  }
}

TEST_F(ZarnethTest, NewFileTranscriptRunningPastTheEndDropsTheTail) {
  Files(100, 20);
  ASSERT_EQ(RunJob(Job(true, "5A")).outcome, PatchOutcome::Done);
  EXPECT_EQ(ReadBytes(destination), Concat({Slice(sourceBytes, 0, 90), transcriptBytes}));
}

TEST_F(ZarnethTest, NewFileClampsAStartPastTheEndToTheSourceLength) {
  Files(100, 10);
  for (const char* start : {"C8", "FFFFFFFF"}) {
    const RunResult result = RunJob(Job(true, start));
    ASSERT_EQ(result.outcome, PatchOutcome::Done) << start;
    EXPECT_EQ(result.start, zarneth::ParseHexAddress(start));
    EXPECT_EQ(result.patchOffset, 100u);
    EXPECT_EQ(ReadBytes(destination), Concat({sourceBytes, transcriptBytes})) << start;
  }
}

TEST_F(ZarnethTest, NewFileReplacesAnExistingDestinationWhole) {
  Files(100, 10);
  WriteBytes(destination, Pattern(500, 9));
  ASSERT_EQ(RunJob(Job(true, "0")).outcome, PatchOutcome::Done);
  EXPECT_EQ(ReadBytes(destination).size(), 100u);
}

TEST_F(ZarnethTest, NewFileShortReadFailsAndLeavesTheDestinationEmpty) {
  Files(100, 10);
  static int reads;
  reads = 0;
  // The source prefix reads whole; the transcript then comes up short.
  ScopedPosixCalls shortSecondRead({[](int fd, void* buffer, std::size_t count) -> ssize_t {
                                      return ++reads == 1 ? ::read(fd, buffer, count) : 0;
                                    },
                                    ActivePosixCalls().write});
  const RunResult result = RunJob(Job(true, "10"));
  EXPECT_EQ(result.outcome, PatchOutcome::Failed);
  EXPECT_EQ(ReadBytes(destination).size(), 0u);
  ExpectInputsUnchanged();
}

TEST_F(ZarnethTest, EmptyPathsAndRefusedOpensFailWithoutWriting) {
  Files(100, 10);
  struct Case {
    const char* name;
    void (*change)(PatchJob&);
    const char* reason;
  };
  const Case cases[] = {
      {"no source", [](PatchJob& j) { j.sourcePath.clear(); }, "no source file given"},
      {"no transcript", [](PatchJob& j) { j.transcriptPath.clear(); }, "no transcript file given"},
      {"no destination", [](PatchJob& j) { j.destinationPath.clear(); },
       "no destination file given"},
      {"missing source", [](PatchJob& j) { j.sourcePath += ".missing"; },
       "cannot open for reading and writing source file"},
      {"missing transcript", [](PatchJob& j) { j.transcriptPath += ".missing"; },
       "cannot open for reading transcript file"},
      {"transcript is source", [](PatchJob& j) { j.transcriptPath = j.sourcePath; }, "in use"},
      {"destination is source", [](PatchJob& j) { j.destinationPath = j.sourcePath; },
       "cannot create destination file"},
      {"destination is transcript", [](PatchJob& j) { j.destinationPath = j.transcriptPath; },
       "in use"},
  };
  for (const Case& c : cases) {
    for (bool createNew : {true, false}) {
      PatchJob job = Job(createNew, "10");
      c.change(job);
      const RunResult result = RunJob(job);
      if (!createNew && std::string(c.name).find("destination") != std::string::npos) {
        EXPECT_EQ(result.outcome, PatchOutcome::Done) << c.name << ": in place never looks";
        WriteBytes(source, sourceBytes);
        continue;
      }
      EXPECT_EQ(result.outcome, PatchOutcome::Failed) << c.name;
      EXPECT_NE(result.failureReason.find(c.reason), std::string::npos)
          << c.name << ": " << result.failureReason;
      ExpectInputsUnchanged();
    }
  }
  EXPECT_FALSE(std::filesystem::exists(destination));
}

TEST_F(ZarnethTest, AReadOnlySourceFailsInBothVariants) {
  Files(100, 10);
  ::chmod(source.c_str(), 0444);
  EXPECT_EQ(RunJob(Job(false, "10")).outcome, PatchOutcome::Failed);
  EXPECT_EQ(RunJob(Job(true, "10")).outcome, PatchOutcome::Failed);
  ExpectInputsUnchanged();
  EXPECT_FALSE(std::filesystem::exists(destination));
}

TEST_F(ZarnethTest, DiskFullEscapesAsAFileError) {
  Files(100, 10);
  PatchJob job = Job(true, "10");
  job.destinationPath = "/dev/full";
  EXPECT_THROW(RunJob(job), CFileException);
  ExpectInputsUnchanged();
}

}  // namespace
}  // namespace zarneth

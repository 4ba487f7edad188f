#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "patch_job.h"
#include "quoted_name.h"
#include "temp_dir.h"

namespace zarneth::test {

// A folder with an image, a transcript and a destination name, and the jobs of the three
// kinds of run on them.
class RunFixture : public testing::Test {
 protected:
  TempDir dir;
  std::string image = dir / "image.bin";
  std::string transcript = dir / "transcript.bin";
  std::string destination = dir / "out.bin";
  Bytes imageBytes;
  Bytes transcriptBytes;

  void Files(std::size_t imageSize, std::size_t transcriptSize) {
    imageBytes = Pattern(imageSize, 1);
    transcriptBytes = Pattern(transcriptSize, 2);
    WriteBytes(image, imageBytes);
    WriteBytes(transcript, transcriptBytes);
  }
  PatchJob InPlace(std::string start) const { return Zarneth(false, std::move(start)); }
  PatchJob Copy(std::string start) const { return Zarneth(true, std::move(start)); }
  PatchJob Cut(std::string start, std::string end) const {
    PatchJob job;
    job.mode = PatchMode::Cut;
    job.sourcePath = image;
    job.destinationPath = destination;
    job.startText = std::move(start);
    job.endText = std::move(end);
    return job;
  }

  // The kinds of run that write, each on the folder ResetFolder makes.
  struct RunKind {
    const char* name;
    PatchJob job;
    bool withDestination;  // an existing file under the destination name
  };
  std::vector<RunKind> KindsOfRun() const {
    return {{"patched copy", Copy("1000"), false},
            {"patched copy over an existing file", Copy("1000"), true},
            {"cut", Cut("1000", "2FFFF"), false},
            {"cut over an existing file", Cut("1000", "2FFFF"), true},
            {"in place", InPlace("1000"), false}};
  }
  // Empties the folder and writes the files again; the transcript is longer than one copy
  // buffer.
  void ResetFolder(bool withDestination) {
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
      std::filesystem::remove(entry.path());
    Files(0x40000, 100000);
    if (withDestination)
      WriteBytes(destination, Pattern(3000, 5));
  }
  // The file a job replaces or creates: the destination, or the image in place.
  static const std::string& TargetOf(const PatchJob& job) {
    return job.mode == PatchMode::Zarneth && !job.createNewFile ? job.sourcePath
                                                                : job.destinationPath;
  }

  // The job must be refused with `reason` in its sentence, and every file of the folder must
  // be exactly as before: nothing created, removed or changed.
  void ExpectRefused(const PatchJob& job, const std::string& reason) const {
    const FolderListing before = ListFolder(dir.Path());
    const RunResult result = RunJob(job);
    EXPECT_EQ(result.outcome, PatchOutcome::Failed) << reason;
    EXPECT_NE(result.failureReason.find(reason), std::string::npos)
        << "expected \"" << reason << "\" in \"" << result.failureReason << '"';
    EXPECT_TRUE(ListFolder(dir.Path()) == before) << "the folder changed: " << reason;
  }

 private:
  PatchJob Zarneth(bool createNew, std::string start) const {
    PatchJob job;
    job.createNewFile = createNew;
    job.sourcePath = image;
    job.transcriptPath = transcript;
    job.destinationPath = destination;
    job.startText = std::move(start);
    return job;
  }
};

}  // namespace zarneth::test

#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
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
  std::string replaced = dir / "old.bin";  // bytes of the image a patch may replace
  Bytes imageBytes;
  Bytes transcriptBytes;

  void Files(std::size_t imageSize, std::size_t transcriptSize) {
    imageBytes = Pattern(imageSize, 1);
    transcriptBytes = Pattern(transcriptSize, 2);
    WriteBytes(image, imageBytes);
    WriteBytes(transcript, transcriptBytes);
  }
  // `job` with one of its paths (`field`: &PatchJob::sourcePath, ...) set to `path`.
  static PatchJob With(PatchJob job, std::string PatchJob::*field, std::string path) {
    job.*field = std::move(path);
    return job;
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
    WriteOperation job;
    bool withDestination;  // an existing file under the destination name
  };
  std::vector<RunKind> KindsOfRun() const {
    return {{"patched copy", OperationOf(Copy("1000")), false},
            {"patched copy over an existing file", OperationOf(Copy("1000")), true},
            {"cut", OperationOf(Cut("1000", "2FFFF")), false},
            {"cut over an existing file", OperationOf(Cut("1000", "2FFFF")), true},
            {"in place", OperationOf(InPlace("1000")), false},
            {"in place where a replaced block stands",
             PatchInPlace{
                 .sourcePath = image, .transcriptPath = transcript, .at = {.replacing = replaced}},
             false}};
  }
  // Empties the folder and writes the files again; the transcript is longer than one copy
  // buffer, as is the replaced block, the image's bytes at 0x1000.
  void ResetFolder(bool withDestination) {
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
      std::filesystem::remove(entry.path());
    Files(0x40000, 100000);
    WriteBytes(replaced, Slice(imageBytes, 0x1000, 100000));
    if (withDestination)
      WriteBytes(destination, Pattern(3000, 5));
  }
  // The file a job replaces or creates: the destination, or the image in place.
  static const std::string& TargetOf(const WriteOperation& job) {
    return std::visit(
        [](const auto& chosen) -> const std::string& {
          if constexpr (requires { chosen.destinationPath; })
            return chosen.destinationPath;
          else
            return chosen.sourcePath;
        },
        job);
  }

  // The job must be refused (for `kind`, when given) with `reason` in its sentence, and every
  // file of the folder must be exactly as before: nothing created, removed or changed.
  void ExpectRefused(const PatchJob& job, const std::string& reason,
                     std::optional<Refusal> kind = std::nullopt) const {
    const FolderListing before = ListFolder(dir.Path());
    const WriteResult result = RunJob(job);
    EXPECT_EQ(result.outcome(), PatchOutcome::Failed) << reason;
    if (kind) {
      EXPECT_EQ(result.status.refusal, *kind) << reason;
    }
    EXPECT_NE(result.status.reason.find(reason), std::string::npos)
        << "expected \"" << reason << "\" in \"" << result.status.reason << '"';
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

// Runs that must be refused, and what they must leave: every file of the folder exactly as
// it was, an existing destination included, and no file added.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "c_file.h"
#include "fault_injection.h"
#include "file_paths.h"
#include "patch_job.h"
#include "platform_files.h"
#include "run_files.h"
#include "run_fixture.h"
#include "save_file.h"

namespace zarneth::test {
namespace {

class RefusalTest : public RunFixture {
 protected:
  void SetUp() override {
    Files(0x1000, 0x100);
    WriteBytes(destination, Pattern(50, 7));  // a refused run must not empty it
  }
};

TEST_F(RefusalTest, BlocksAndRangesMustLieInsideTheImage) {
  struct Case {
    const char* name;
    const char* start;
    const char* end;  // Cut only
    bool inside;
  };
  const Case cases[] = {
      {"inside", "10", "10F", true},
      {"touching the end", "F00", "FFF", true},
      {"one past", "F01", "1000", false},
      {"far past", "1CD8000", "1CD80FF", false},
      {"at 2 GiB", "80000000", "80000010", false},
      {"wrapped", "FFFFFFFF", "FFFFFFFF", false},
  };
  for (const Case& c : cases) {
    for (const PatchJob& job : {InPlace(c.start), Copy(c.start), Cut(c.start, c.end)}) {
      if (c.inside) {
        const WriteResult result = RunJob(job);
        EXPECT_EQ(result.outcome(), PatchOutcome::Done) << c.name << ": " << result.status.reason;
        WriteBytes(image, imageBytes);
      } else {
        ExpectRefused(job, "runs past the end of", Refusal::OutsideImage);
      }
    }
  }
  ExpectRefused(Cut("0", "FFFFFFFF"), "the range of 4294967296 bytes at 0x0 runs past the end",
                Refusal::OutsideImage);
  ExpectRefused(Cut("10", "E"), "the end address 0xE lies more than one below the start address",
                Refusal::BadAddress);
  EXPECT_EQ(RunJob(Cut("1", "0")).outcome(), PatchOutcome::Done) << "end one below start";
}

TEST_F(RefusalTest, PathsAddressesAndRolesAreCheckedBeforeAnythingIsWritten) {
  const std::string readOnly = dir / "read-only.bin";
  WriteBytes(readOnly, Pattern(10, 8));
  MakeReadOnly(readOnly);
  struct Case {
    const char* name;
    void (*change)(PatchJob&, const std::string& dir);
    std::string reason;
    Refusal kind;
  };
  const Case cases[] = {
      {"no source", [](PatchJob& j, auto&) { j.sourcePath.clear(); }, "no source file given",
       Refusal::MissingPath},
      {"no transcript", [](PatchJob& j, auto&) { j.transcriptPath.clear(); },
       "no transcript file given", Refusal::MissingPath},
      {"no destination", [](PatchJob& j, auto&) { j.destinationPath.clear(); },
       "no destination file given", Refusal::MissingPath},
      {"typo in start", [](PatchJob& j, auto&) { j.startText = "1CD8OO"; },
       "the start address '1CD8OO' is not an address: give 1 to 8 hex digits", Refusal::BadAddress},
      {"missing source", [](PatchJob& j, auto&) { j.sourcePath += ".missing"; },
       "cannot open source file", Refusal::CannotRead},
      {"missing transcript", [](PatchJob& j, auto&) { j.transcriptPath += ".missing"; },
       MissingFileText(), Refusal::CannotRead},
      {"transcript is source", [](PatchJob& j, auto&) { j.transcriptPath = j.sourcePath; },
       "are the same file", Refusal::SameFile},
      {"destination is source", [](PatchJob& j, auto&) { j.destinationPath = j.sourcePath; },
       "the source file " + QuotedName(image) + " and the destination file " + QuotedName(image) +
           " are the same file",
       Refusal::SameFile},
      {"destination is transcript",
       [](PatchJob& j, auto&) { j.destinationPath = j.transcriptPath; }, "are the same file",
       Refusal::SameFile},
      {"transcript is a device", [](PatchJob& j, auto&) { j.transcriptPath = kDevicePath; },
       "it is a device, not a regular file", Refusal::CannotRead},
      {"destination is a device", [](PatchJob& j, auto&) { j.destinationPath = kDevicePath; },
       "it is a device", Refusal::CannotWrite},
      {"destination is a folder", [](PatchJob& j, auto& d) { j.destinationPath = d; },
       "Is a directory", Refusal::CannotWrite},
      {"destination folder missing",
       [](PatchJob& j, auto& d) { j.destinationPath = d + "/no/such/out.bin"; },
       MissingFolderText(), Refusal::CannotWrite},
      {"destination is read-only",
       [](PatchJob& j, auto& d) { j.destinationPath = d + "/read-only.bin"; },
       "the file is read-only", Refusal::CannotWrite},
  };
  for (const Case& c : cases) {
    PatchJob job = Copy("10");
    c.change(job, dir.Path().string());
    SCOPED_TRACE(c.name);
    ExpectRefused(job, c.reason, c.kind);
  }
  PatchJob inPlace = InPlace("10");
  inPlace.transcriptPath = image;
  ExpectRefused(inPlace, "are the same file");
  for (const std::string& device : DevicePaths(dir.Path().string())) {
    SCOPED_TRACE(device);
    PatchJob copy = Copy("10");
    copy.destinationPath = device;
    ExpectRefused(copy, "it is a device, not a regular file");
    PatchJob cut = Cut("0", "F");
    cut.sourcePath = device;
    ExpectRefused(cut, "it is a device, not a regular file");
  }
  ExpectRefused(Cut("0", "FFh"), "the end address 'FFh' is not an address");
}

TEST_F(RefusalTest, FifosAndDanglingLinksAreRefusedWithoutBlocking) {
  if (!MakeFifoAndDanglingLink(dir.Path().string()))
    GTEST_SKIP() << kNoFifosOrLinks;
  const std::string fifo = dir / "fifo";
  const std::pair<PatchJob, const char*> cases[] = {
      {With(Copy("10"), &PatchJob::sourcePath, fifo), "it is a FIFO"},
      {With(Copy("10"), &PatchJob::destinationPath, fifo), "it is a FIFO"},
      {With(Copy("10"), &PatchJob::destinationPath, dir / "dangling"),
       "symbolic link to a file that does not exist"},
  };
  for (const auto& [job, reason] : cases)
    ExpectRefused(job, reason);
}

// Network file systems emulate flock with record locks, which never conflict within one
// process: the identity of the files must refuse one file in two roles on its own.
TEST_F(RefusalTest, OneFileInTwoRolesIsRefusedByIdentityWhenLocksDoNotConflict) {
  ScopedFaults faults;
  faults.NoLocks();
  // An image in place has one name: its transcript is the image itself.
  ExpectRefused(With(InPlace("0"), &PatchJob::transcriptPath, image), "are the same file");
  const std::string hardLink = dir / "hard-link.bin";
  std::filesystem::create_hard_link(image, hardLink);
  for (const PatchJob& job : {With(Copy("0"), &PatchJob::transcriptPath, hardLink),
                              With(Copy("0"), &PatchJob::destinationPath, hardLink),
                              With(Cut("0", "F"), &PatchJob::destinationPath, image)})
    ExpectRefused(job, "are the same file");
}

// Offsets are 32-bit: an image or a transcript of 4 GiB or more is refused before anything
// is written, with the bound named. Sparse, so they take no room; in a folder of their own,
// which the folder listings do not read.
TEST_F(RefusalTest, FilesBeyondThirtyTwoBitOffsetsAreRefused) {
  std::filesystem::create_directory(dir.Path() / "big");
  const std::string huge = dir / "big/huge.bin";
  WriteBytes(huge, {});
  std::filesystem::resize_file(PathFromUtf8(huge), std::uint64_t{1} << 32);
  for (const PatchJob& job : {With(InPlace("10"), &PatchJob::sourcePath, huge),
                              With(Copy("10"), &PatchJob::transcriptPath, huge),
                              With(Cut("0", "F"), &PatchJob::sourcePath, huge)})
    ExpectRefused(job,
                  "huge.bin' has 4294967296 bytes, more than the 4294967295 bytes (4 GiB - "
                  "1) that 32-bit addresses reach");
}

// A file-size limit (ulimit -f) fails the write with the system's reason; the run leaves
// nothing behind and the process lives on.
TEST_F(RefusalTest, AFileSizeLimitFailsTheRunCleanly) {
  for (const PatchJob& job : {InPlace("10"), Copy("10"), Cut("0", "FFF")}) {
    const FolderListing before = ListFolder(dir.Path());
    ScopedFileSizeLimit limit(0x800);
    if (!limit.Active())
      GTEST_SKIP() << "the system limits no file's size";
    EXPECT_THROW(static_cast<void>(RunJob(job)), CFileException);
    EXPECT_TRUE(ListFolder(dir.Path()) == before);
  }
}

// A file that shrinks under the run: its reads end early.
// Invariant 1 of the save (save_file.h).
TEST_F(RefusalTest, AFileThatShrinksMidRunFailsTheRunAndChangesNothing) {
  const std::pair<std::string, PatchJob> cases[] = {
      {transcript, InPlace("10")}, {transcript, Copy("10")}, {image, Cut("0", "FFF")}};
  for (const auto& [file, job] : cases) {
    ScopedFaults faults;
    faults.ShortReads(file, 0x80);
    ExpectRefused(job, "came up short");
  }
}

// A caller that breaks a contract (takes a refusal's value, refuses with a done status, saves
// out of order) ends a debug build on the spot, which no catch of std::exception can hide; a
// release build throws, and the save's order is checked by assertions only.
TEST(MisuseTest, ABrokenContractEndsADebugBuild) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const TempDir dir;
  const std::string path = dir / "new.bin";
  // A save of `path` taken as far as `steps` say: 1 prepared, 2 begun, 3 committed.
  const auto saveUpTo = [&path](SaveFile& save, int steps) {
    if (steps >= 1 && !save.Prepare(path, SaveFile::Use::NewFile))
      std::abort();
    if (steps >= 2 && !save.Begin())
      std::abort();
    if (steps >= 3)
      static_cast<void>(save.Commit());
  };
  struct Row {
    const char* name;
    std::function<void()> misuse;
    bool checkedInRelease;
  };
  const Row rows[] = {
      {"a refused file step's value", [] { static_cast<void>(*FileResult<int>(FileRefusal{})); },
       true},
      {"a done file step's refusal", [] { static_cast<void>(FileStatus().Why()); }, true},
      {"a refused step's value",
       [] { static_cast<void>(*Checked<int>(Refused(Refusal::BadAddress, "no"))); }, true},
      {"a refusal with a done status", [] { static_cast<void>(Checked<int>(RunStatus::Done())); },
       true},
      {"a save begun before it is prepared", [] { static_cast<void>(SaveFile().Begin()); }, false},
      {"a save checked before it is prepared", [] { static_cast<void>(SaveFile().Check()); },
       false},
      {"a save written before it is begun",
       [&] {
         SaveFile save;
         saveUpTo(save, 1);
         static_cast<void>(save.File());
       },
       false},
      {"a save committed before it is begun",
       [&] {
         SaveFile save;
         saveUpTo(save, 1);
         static_cast<void>(save.Commit());
       },
       false},
      {"a save begun twice",
       [&] {
         SaveFile save;
         saveUpTo(save, 2);
         static_cast<void>(save.Begin());
       },
       false},
      {"a save committed twice",
       [&] {
         SaveFile save;
         saveUpTo(save, 3);
         static_cast<void>(save.Commit());
       },
       false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
#ifndef NDEBUG
    EXPECT_DEATH(row.misuse(), "");
#else
    if (row.checkedInRelease) {
      EXPECT_THROW(row.misuse(), std::logic_error);
    }
#endif
  }
  // Each step in its order passes the checks, and the save puts its file in place.
  SaveFile save;
  saveUpTo(save, 2);
  save.File().WriteAt(0, "new", 3);
  EXPECT_FALSE(save.Commit());
  EXPECT_EQ(ReadBytes(path), (Bytes{'n', 'e', 'w'}));
}

}  // namespace
}  // namespace zarneth::test

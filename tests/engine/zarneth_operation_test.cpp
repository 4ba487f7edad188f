#include <gtest/gtest.h>

#include <filesystem>

#include "fault_injection.h"
#include "file_paths.h"
#include "patch_job.h"
#include "platform_files.h"
#include "run_fixture.h"

namespace zarneth::test {
namespace {

class ZarnethTest : public RunFixture {
 protected:
  // Files(100, 10), readable by user 1234, and `theirs`, a folder of that user's beside
  // them that the user can reach; false where the caller cannot give files away.
  bool FilesAndAnotherUsersFolder() {
    std::filesystem::create_directory(theirs);
    std::filesystem::permissions(dir.Path(), std::filesystem::perms(0755));
    Files(100, 10);
    std::filesystem::permissions(transcript, std::filesystem::perms(0644));
    return GiveToAnotherUser(theirs);
  }
  // The image's bytes under `path`, in a file of user 1234's.
  bool UsersImage(const std::string& path) {
    WriteBytes(path, imageBytes);
    return GiveToAnotherUser(path);
  }

  std::string theirs = dir / "theirs";
};

TEST_F(ZarnethTest, InPlaceReplacesTheBytesAtStartAndLeavesNothingElse) {
  Files(100, 10);
  const FolderListing before = ListFolder(dir.Path());
  const WriteResult result = RunJob(InPlace("10"));
  EXPECT_EQ(result.outcome(), PatchOutcome::Done) << result.status.reason;
  EXPECT_EQ(result.placedBytes, 10u);
  EXPECT_EQ(result.fileBytes, 100u);
  EXPECT_EQ(ReadBytes(image),
            Concat({Slice(imageBytes, 0, 16), transcriptBytes, Slice(imageBytes, 26, 74)}));
  FolderListing after = ListFolder(dir.Path());
  after["image.bin"] = imageBytes;
  EXPECT_TRUE(after == before) << "no journal or other file left";
}

TEST_F(ZarnethTest, InPlaceIgnoresTheDestinationEvenWhenEmpty) {
  Files(100, 10);
  PatchJob job = InPlace("0");
  job.destinationPath.clear();
  EXPECT_EQ(RunJob(job).outcome(), PatchOutcome::Done);
  EXPECT_FALSE(std::filesystem::exists(destination));
}

TEST_F(ZarnethTest, APatchedCopySplicesTheTranscriptIn) {
  struct Case {
    std::size_t transcriptSize;
    const char* start;
    std::size_t at;
  };
  for (const Case c :
       {Case{10, "5A", 90}, Case{10, "10", 16}, Case{0, "10", 16}, Case{100, "0", 0}}) {
    Files(100, c.transcriptSize);
    const WriteResult result = RunJob(Copy(c.start));
    ASSERT_EQ(result.outcome(), PatchOutcome::Done) << c.start << ": " << result.status.reason;
    EXPECT_EQ(ReadBytes(destination),
              Concat({Slice(imageBytes, 0, c.at), transcriptBytes,
                      Slice(imageBytes, c.at + c.transcriptSize, 100 - c.at - c.transcriptSize)}))
        << c.start << " with a transcript of " << c.transcriptSize;
    EXPECT_EQ(result.fileBytes, 100u);
    EXPECT_EQ(result.placedBytes, c.transcriptSize);
    EXPECT_EQ(ReadBytes(image), imageBytes);
    EXPECT_EQ(ReadBytes(transcript), transcriptBytes);
  }
}

// Invariant 6 of the save (save_file.h).
TEST_F(ZarnethTest, AReplacedFileKeepsItsAccessAndLink) {
  Files(100, 10);
  const std::string target = dir / "target.bin";
  WriteBytes(target, Pattern(500, 9));
  GiveUnusualAccess(target);
  const std::string access = AccessOf(target);
  // Without links, the destination is the target by its own name.
  const bool linked = MakeSymlink("target.bin", destination);
  PatchJob copy = Copy("0");
  if (!linked)
    copy.destinationPath = target;
  ASSERT_EQ(RunJob(copy).outcome(), PatchOutcome::Done);
  EXPECT_EQ(std::filesystem::is_symlink(destination), linked);
  EXPECT_EQ(ReadBytes(target), Concat({transcriptBytes, Slice(imageBytes, 10, 90)}));
  EXPECT_EQ(AccessOf(target), access);
  EXPECT_EQ(ListFolder(dir.Path()).size(), linked ? 4u : 3u) << "no temporary file left";

  // In place, through the same name: the image is written anew and keeps it all too.
  PatchJob inPlace = InPlace("5A");
  inPlace.sourcePath = copy.destinationPath;
  const WriteResult result = RunJob(inPlace);
  ASSERT_EQ(result.outcome(), PatchOutcome::Done) << result.status.reason;
  EXPECT_EQ(ReadBytes(target),
            Concat({transcriptBytes, Slice(imageBytes, 10, 80), transcriptBytes}));
  EXPECT_EQ(std::filesystem::is_symlink(destination), linked);
  EXPECT_EQ(AccessOf(target), access);
  EXPECT_EQ(ListFolder(dir.Path()).size(), linked ? 4u : 3u) << "no temporary file left";
}

// A folder's set-group-ID bit and default access list give a new file its group and an
// ACL; an image written anew there keeps exactly its own, its file capability too, which
// the kernel drops on every write.
TEST_F(ZarnethTest, AnImageWrittenAnewTakesNothingFromItsFolder) {
  const std::string folder = dir / "inheriting";
  if (!MakeInheritingFolder(folder))
    GTEST_SKIP() << "needs set-group-ID folders and the right to make them (root on POSIX)";
  Files(100, 10);
  PatchJob job = InPlace("10");
  job.sourcePath = folder + "/image.bin";
  WriteBytes(job.sourcePath, imageBytes);
  std::filesystem::permissions(job.sourcePath, std::filesystem::perms(0660));
  ASSERT_TRUE(GiveCapability(job.sourcePath));
  const std::string access = AccessOf(job.sourcePath);
  const WriteResult result = RunJob(job);
  ASSERT_EQ(result.outcome(), PatchOutcome::Done) << result.status.reason;
  EXPECT_EQ(AccessOf(job.sourcePath), access);
}

// For a caller who is not the superuser: an image of their own keeps its set-id bits, which
// the kernel clears when they write; a file of another user's is not taken from them.
TEST_F(ZarnethTest, AnOrdinaryUserKeepsTheirSetIdBitsAndTakesNoFileOfAnothers) {
  PatchJob inPlace = InPlace("10");
  inPlace.sourcePath = theirs + "/image.bin";
  if (!FilesAndAnotherUsersFolder() || !UsersImage(inPlace.sourcePath))
    GTEST_SKIP() << "needs the right to become another user (root on POSIX)";
  std::filesystem::permissions(inPlace.sourcePath, std::filesystem::perms(06775));
  const std::string access = AccessOf(inPlace.sourcePath);
  EXPECT_EQ(
      RunAsAnotherUser([&] { return RunJob(inPlace).outcome() == PatchOutcome::Done ? 0 : 1; }), 0);
  EXPECT_EQ(ReadBytes(inPlace.sourcePath),
            Concat({Slice(imageBytes, 0, 16), transcriptBytes, Slice(imageBytes, 26, 74)}));
  EXPECT_EQ(AccessOf(inPlace.sourcePath), access);

  // A copy over a file of root's in that user's folder: refused, the file left as it was.
  PatchJob copy = Copy("10");
  copy.sourcePath = inPlace.sourcePath;
  copy.destinationPath = theirs + "/root.bin";
  WriteBytes(copy.destinationPath, Pattern(50, 3));
  const std::string rootsAccess = AccessOf(copy.destinationPath);
  EXPECT_EQ(RunAsAnotherUser([&] {
              const WriteResult refused = RunJob(copy);
              return refused.outcome() == PatchOutcome::Failed &&
                             refused.status.reason.find("belongs to another user") !=
                                 std::string::npos
                         ? 0
                         : 1;
            }),
            0);
  EXPECT_EQ(ReadBytes(copy.destinationPath), Pattern(50, 3));
  EXPECT_EQ(AccessOf(copy.destinationPath), rootsAccess);
}

// A dry run refuses, in the same words, what the real run refuses an ordinary user: an image
// in a folder they cannot write, and a writable image of another user's.
TEST_F(ZarnethTest, ADryRunRefusesWhatTheRunRefusesAnOrdinaryUser) {
  PatchJob inRootsFolder = InPlace("10");
  inRootsFolder.sourcePath = dir / "users.bin";
  if (!FilesAndAnotherUsersFolder() || !UsersImage(inRootsFolder.sourcePath))
    GTEST_SKIP() << "needs the right to become another user (root on POSIX)";
  PatchJob rootsImage = InPlace("10");
  rootsImage.sourcePath = theirs + "/roots.bin";
  WriteBytes(rootsImage.sourcePath, imageBytes);
  std::filesystem::permissions(rootsImage.sourcePath, std::filesystem::perms(0666));
  // Their own image with a file capability, which only the superuser may give a new file.
  PatchJob capable = InPlace("10");
  capable.sourcePath = theirs + "/capable.bin";
  ASSERT_TRUE(UsersImage(capable.sourcePath) && GiveCapability(capable.sourcePath));
  const std::string capability =
      "its extended attribute security.capability (file "
      "capabilities) can be given to a new file only by the superuser";
  for (const auto& [job, backup] : {std::pair{inRootsFolder, false}, std::pair{inRootsFolder, true},
                                    std::pair{rootsImage, false}, std::pair{capable, false}}) {
    SCOPED_TRACE(job.sourcePath + (backup ? ", with a backup" : ""));
    PatchInPlace dry = std::get<PatchInPlace>(OperationOf(job));
    dry.dryRun = true;
    dry.backup = backup;
    PatchInPlace real = dry;
    real.dryRun = false;
    const FolderListing before = ListFolder(dir.Path());
    EXPECT_EQ(RunAsAnotherUser([&] {
                const WriteResult dryResult = zarneth::Run(dry);
                const WriteResult realResult = zarneth::Run(real);
                const bool words = job.sourcePath != capable.sourcePath ||
                                   realResult.status.reason.find(capability) != std::string::npos;
                return dryResult.outcome() == PatchOutcome::Failed &&
                               realResult.outcome() == PatchOutcome::Failed &&
                               dryResult.status.reason == realResult.status.reason && words
                           ? 0
                           : 1;
              }),
              0);
    EXPECT_TRUE(ListFolder(dir.Path()) == before);
  }
}

// A run stopped in the instant between naming the backup and the rename leaves the backup
// as a second name of the unchanged image (and maybe a temporary): the next run asked for a
// backup takes that name as its backup; one not asked says what the name is.
// Invariant 7 of the save (save_file.h).
TEST_F(ZarnethTest, ABackupLeftByAStoppedRunIsTakenAsTheBackup) {
  Files(100, 10);
  const std::string backup = image + ".bak";
  std::filesystem::create_hard_link(PathFromUtf8(image), PathFromUtf8(backup));
  const std::string stale = dir / ".image.bin.zarneth-abc123.tmp";
  WriteBytes(stale, Pattern(10, 4));
  const WriteResult refused = RunJob(InPlace("10"));
  EXPECT_EQ(refused.outcome(), PatchOutcome::Failed);
  EXPECT_NE(refused.status.reason.find("is the same file, a backup that a stopped run left"),
            std::string::npos)
      << refused.status.reason;
  EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(stale))) << "the stale temporary goes";

  PatchInPlace withBackup = std::get<PatchInPlace>(OperationOf(InPlace("10")));
  withBackup.backup = true;
  const WriteResult result = zarneth::Run(withBackup);
  ASSERT_EQ(result.outcome(), PatchOutcome::Done) << result.status.reason;
  EXPECT_EQ(result.backupPath, backup);
  EXPECT_EQ(ReadBytes(backup), imageBytes);
  EXPECT_EQ(ReadBytes(image),
            Concat({Slice(imageBytes, 0, 16), transcriptBytes, Slice(imageBytes, 26, 74)}));
  EXPECT_EQ(std::filesystem::hard_link_count(PathFromUtf8(image)), 1u);
}

// A trial name that an earlier version's backup trial left on another user's image (which
// the sweep keeps, as it is not the caller's) is named in the refusal.
TEST_F(ZarnethTest, ATrialNameLeftOnTheImageIsNamed) {
  Files(100, 10);
  const std::string trial = dir / ".image.bin.zarneth-abc123.tmp";
  std::filesystem::create_hard_link(PathFromUtf8(image), PathFromUtf8(trial));
  if (!GiveToAnotherUser(image))
    GTEST_SKIP() << "needs a system where the caller can give a file away (POSIX, as root)";
  ExpectRefused(InPlace("10"),
                QuotedName(trial) + " is the same file, a trial name that a stopped run left");
}

// A name of the longest length a file system takes is written, in place too, with
// temporaries whose names are cut to fit; a longer one is refused before anything is
// written.
TEST_F(ZarnethTest, NamesOfTheLongestLengthAreWrittenAndLongerOnesRefused) {
  for (const bool named : {false, true}) {
    SCOPED_TRACE(named ? "named temporaries" : "the system's temporaries");
    ScopedFaults faults;
    if (named)
      faults.NoAnonymousFiles();
    Files(100, 10);
    PatchJob copy = Copy("10");
    copy.destinationPath = dir / std::string(255, 'n');
    ASSERT_EQ(RunJob(copy).outcome(), PatchOutcome::Done);
    PatchJob inPlace = InPlace("0");
    inPlace.sourcePath = copy.destinationPath;
    const WriteResult result = RunJob(inPlace);
    ASSERT_EQ(result.outcome(), PatchOutcome::Done) << result.status.reason;
    EXPECT_EQ(ListFolder(dir.Path()).size(), 3u) << "no temporary left";

    const FolderListing before = ListFolder(dir.Path());
    copy.destinationPath = dir / std::string(256, 'n');
    const WriteResult refused = RunJob(copy);
    EXPECT_EQ(refused.outcome(), PatchOutcome::Failed);
    EXPECT_NE(refused.status.reason.find("its name is longer than the 255 characters"),
              std::string::npos)
        << refused.status.reason;
    EXPECT_TRUE(ListFolder(dir.Path()) == before);
    std::filesystem::remove(PathFromUtf8(dir / std::string(255, 'n')));
  }
}

// Without /proc, where an anonymous file cannot be given a name, runs take named
// temporaries and leave none.
TEST_F(ZarnethTest, RunsNeedNoProc) {
  Files(100, 10);
  const auto code = RunWithoutProc([&] {
    return RunJob(Copy("10")).outcome() == PatchOutcome::Done &&
                   RunJob(InPlace("10")).outcome() == PatchOutcome::Done
               ? 0
               : 1;
  });
  if (!code)
    GTEST_SKIP() << "needs a mount namespace of its own (root on POSIX)";
  EXPECT_EQ(*code, 0);
  EXPECT_EQ(ReadBytes(destination),
            Concat({Slice(imageBytes, 0, 16), transcriptBytes, Slice(imageBytes, 26, 74)}));
  EXPECT_EQ(ListFolder(dir.Path()).size(), 3u) << "no temporary left";
}

// Longer than Windows' classic limit of 260 characters: every kind of run still works.
TEST_F(ZarnethTest, PathsLongerThanTheClassicLimitWork) {
  const std::string deep =
      dir / (std::string(100, 'a') + "/" + std::string(100, 'b') + "/" + std::string(100, 'c'));
  std::filesystem::create_directories(PathFromUtf8(deep));
  Files(100, 10);
  for (PatchJob job : {InPlace("0"), Copy("0"), Cut("0", "9")}) {
    job.sourcePath = deep + "/image.bin";
    job.transcriptPath = deep + "/transcript.bin";
    job.destinationPath = deep + "/out.bin";
    WriteBytes(job.sourcePath, imageBytes);
    WriteBytes(job.transcriptPath, transcriptBytes);
    const WriteResult result = RunJob(job);
    EXPECT_EQ(result.outcome(), PatchOutcome::Done) << result.status.reason;
  }
  EXPECT_EQ(ReadBytes(deep + "/out.bin"), Slice(imageBytes, 0, 10));
}

TEST_F(ZarnethTest, AReadOnlyImageIsCopiedButNotChangedInPlace) {
  Files(100, 10);
  MakeReadOnly(image);
  const WriteResult copy = RunJob(Copy("10"));
  EXPECT_EQ(copy.outcome(), PatchOutcome::Done) << copy.status.reason;
  EXPECT_EQ(ReadBytes(destination).size(), 100u);
  std::filesystem::remove(destination);
  ExpectRefused(InPlace("10"), "cannot patch source file " + QuotedName(image) +
                                   " in place: the file is read-only");
}

// With the model's own start, a transcript longer than the model's block would overwrite the
// firmware after it: refused before anything is written unless the job allows it. A start
// of the user's own is bounded by the image's end only.
TEST_F(ZarnethTest, ATranscriptPastTheModelsBlockIsRefusedUnlessAllowed) {
  struct Case {
    const char* name;
    const char* start;
    std::size_t transcriptSize;
    bool allowOverrun;
    std::uint64_t overrun;  // 0: done
  };
  const Case cases[] = {
      {"shorter", "1CD800", 75775, false, 0},
      {"the block exactly", "1CD800", 75776, false, 0},
      {"one byte longer", "1CD800", 75777, false, 1},
      {"a V138 block", "0x1cd800", 89156, false, 13380},
      {"allowed", "1CD800", 89156, true, 0},
      {"a start of the user's own", "1CD801", 89156, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Files(0x200000, c.transcriptSize);
    for (PatchJob job : {Copy(c.start), InPlace(c.start)}) {
      job.model = "V135";
      job.allowOverrun = c.allowOverrun;
      if (c.overrun == 0) {
        const WriteResult result = RunJob(job);
        EXPECT_EQ(result.outcome(), PatchOutcome::Done) << result.status.reason;
        WriteBytes(image, imageBytes);
        continue;
      }
      std::filesystem::remove(destination);
      const std::string overrun = c.overrun == 1 ? "1 byte" : std::to_string(c.overrun) + " bytes";
      ExpectRefused(job,
                    "(" + std::to_string(c.transcriptSize) +
                        " bytes) is longer than the language block of V135 (75776 bytes): " +
                        overrun + " after the block",
                    Refusal::Overrun);
      EXPECT_EQ(RunJob(job).status.overrunBytes, c.overrun);
    }
  }
  const WriteResult noModel = RunJob(Copy("1CD800"));
  EXPECT_EQ(noModel.outcome(), PatchOutcome::Done) << "without a model only the image bounds it";
}

}  // namespace
}  // namespace zarneth::test

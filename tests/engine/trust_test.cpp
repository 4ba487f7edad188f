// Files a run must never trust for their names: a file laid out as a journal of saved bytes that
// another program or user left, look-alikes of the save file's temporaries, links another user
// planted in a shared folder. Each is an ordinary file to every run: never read, never removed.
#include <gtest/gtest.h>

#include <filesystem>

#include "c_file.h"
#include "patch_job.h"
#include "platform_files.h"
#include "run_fixture.h"

namespace zarneth::test {
namespace {

class TrustTest : public RunFixture {
 protected:
  void SetUp() override { Files(0x1000, 0x100); }

  // Runs `job`, which must be Done, and expects every file named in `untouched` as before.
  void ExpectDoneAndUntouched(const PatchJob& job, const std::vector<std::string>& untouched) {
    FolderListing before = ListFolder(dir.Path());
    const WriteResult result = RunJob(job);
    ASSERT_EQ(result.outcome(), PatchOutcome::Done) << result.status.reason;
    const FolderListing after = ListFolder(dir.Path());
    for (const std::string& name : untouched) {
      ASSERT_TRUE(after.count(name)) << name << " was removed";
      EXPECT_TRUE(after.at(name) == before.at(name)) << name << " was changed";
    }
  }
};

TEST_F(TrustTest, AJournalBesideTheImageOrTheTranscriptIsAnOrdinaryFile) {
  // A file laid out as a journal of saved bytes: magic, version, header size, offset 0x10,
  // 0x20 saved bytes.
  Bytes journal = {'Z', 'A', 'R', 'N', 'J', 'R', 'N', 'L', 1, 0, 0, 0, 48, 0, 0, 0, 0x10};
  journal.resize(48);
  journal[24] = 0x20;
  journal = Concat({journal, Pattern(0x20, 6)});
  WriteBytes(dir / ".image.bin.zarneth-journal", journal);
  WriteBytes(dir / ".transcript.bin.zarneth-journal", journal);
  for (const PatchJob& job : {Cut("0", "FFF"), Copy("10"), InPlace("10")}) {
    ExpectDoneAndUntouched(job, {".image.bin.zarneth-journal", ".transcript.bin.zarneth-journal"});
  }
  EXPECT_EQ(ReadBytes(destination),
            Concat({Slice(imageBytes, 0, 0x10), transcriptBytes, Slice(imageBytes, 0x110, 0xEF0)}));
  EXPECT_EQ(ReadBytes(image), ReadBytes(destination)) << "in place wrote what the copy did";

  // A destination named like a journal is written, and stays.
  PatchJob cut = Cut("0", "F");
  cut.destinationPath = dir / ".image.bin.zarneth-journal";
  ExpectDoneAndUntouched(cut, {});
  ExpectDoneAndUntouched(InPlace("10"), {".image.bin.zarneth-journal"});
}

TEST_F(TrustTest, OnlyTheDestinationsOwnStaleTemporariesAreCleaned) {
  const std::vector<std::string> lookAlikes = {
      ".notes.zarneth-backup.tmp",     // another name's
      ".out.bin.zarneth-ABCDEF.tmp",   // not the generator's alphabet
      ".out.bin.zarneth-abc12.tmp",    // five characters
      ".out.bin.zarneth-abc1234.tmp",  // seven
      "out.bin.zarneth-abc123.tmp",    // not hidden
      ".out.bin.zarneth-held00.tmp",   // held by a run
  };
  for (const std::string& name : lookAlikes)
    WriteBytes(dir / name, Pattern(10, 3));
  std::vector<std::string> untouched = lookAlikes;
  if (MakeSymlink("image.bin", dir / ".out.bin.zarneth-link00.tmp"))
    untouched.push_back("link .out.bin.zarneth-link00.tmp");  // as ListFolder names a link
  WriteBytes(dir / ".out.bin.zarneth-other0.tmp", Pattern(10, 4));
  if (GiveToAnotherUser(dir / ".out.bin.zarneth-other0.tmp"))
    untouched.push_back(".out.bin.zarneth-other0.tmp");
  std::filesystem::create_directory(dir.Path() / ".out.bin.zarneth-dir000.tmp");
  untouched.push_back("other .out.bin.zarneth-dir000.tmp");
  WriteBytes(dir / ".out.bin.zarneth-stale0.tmp", Pattern(10, 5));

  CFile held;
  ASSERT_TRUE(held.Open(dir / ".out.bin.zarneth-held00.tmp", CFile::modeRead));
  for (const PatchJob& job : {Copy("10"), Cut("0", "F")})
    ExpectDoneAndUntouched(job, untouched);
  EXPECT_FALSE(std::filesystem::exists(dir / ".out.bin.zarneth-stale0.tmp"))
      << "the caller's own stale temporary of this destination goes";
}

TEST_F(TrustTest, AnImageWithOtherNamesIsNotPatchedInPlace) {
  std::filesystem::create_hard_link(image, dir / "other-name.bin");
  ExpectRefused(InPlace("10"),
                "it has 2 names (hard links), and the others would keep the old bytes; write a "
                "patched copy instead");
}

// The kernel's protected-symlink rule, whatever the machine's setting: in a sticky folder
// writable by all, a link is followed only when its owner is the caller or the folder's.
TEST_F(TrustTest, LinksInASharedFolderAreFollowedOnlyAsTheSystemWould) {
  const std::string shared = dir / "shared";
  if (!MakeSharedFolder(shared) || !MakeSymlink(image, shared + "/planted") ||
      !GiveToAnotherUser(shared + "/planted"))
    GTEST_SKIP() << "needs sticky folders, links and the right to give files away (root)";
  ASSERT_TRUE(MakeSymlink(image, shared + "/mine"));
  const std::string refusal =
      "in a folder shared by all, owned by another user; the system follows such links only "
      "for their owner";
  const std::string planted = shared + "/planted";
  PatchJob copy = Copy("10");
  PatchJob cut = Cut("0", "F");
  copy.destinationPath = cut.destinationPath = planted;
  PatchJob inPlace = InPlace("10");
  inPlace.sourcePath = planted;
  for (const PatchJob& job : {copy, cut, inPlace})
    ExpectRefused(job, refusal);
  // A planted link to a folder, in the folder part of a path, for every role: a destination
  // through it, and a source or a transcript read through it.
  const std::string real = dir / "real";
  std::filesystem::create_directory(real);
  WriteBytes(real + "/secret.bin", Pattern(100, 7));
  ASSERT_TRUE(MakeSymlink(real, shared + "/build") && GiveToAnotherUser(shared + "/build"));
  PatchJob throughDestination = Cut("0", "F");
  throughDestination.destinationPath = shared + "/build/secret.bin";
  PatchJob throughSource = Cut("0", "F");
  throughSource.sourcePath = shared + "/build/secret.bin";
  PatchJob throughTranscript = Copy("10");
  throughTranscript.transcriptPath = shared + "/build/secret.bin";
  for (const PatchJob& job : {throughDestination, throughSource, throughTranscript})
    ExpectRefused(job, refusal);
  EXPECT_EQ(ReadBytes(real + "/secret.bin"), Pattern(100, 7));
  PatchJob mine = InPlace("10");
  mine.sourcePath = shared + "/mine";
  EXPECT_EQ(RunJob(mine).outcome(), PatchOutcome::Done) << "the caller's own link is followed";
  EXPECT_TRUE(std::filesystem::is_symlink(shared + "/mine"));
}

}  // namespace
}  // namespace zarneth::test

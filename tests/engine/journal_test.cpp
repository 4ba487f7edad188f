// An in-place run killed while the image held part old and part new bytes leaves its undo
// journal; the next run that opens the image, whatever its kind, plays it back.
#include <gtest/gtest.h>

#include <filesystem>

#include "dying_run.h"
#include "patch_job.h"
#include "run_fixture.h"
#include "system_call_hook.h"

namespace zarneth::test {
namespace {

class JournalTest : public RunFixture {
 protected:
  std::string journal = dir / ".image.bin.zarneth-journal";

  // Kills an in-place run right before it syncs the image, which then holds the new bytes
  // (the third sync: journal, journal's folder, image).
  void KillInPlaceAfterTheWrite() {
    Files(0x1000, 0x100);
    ASSERT_TRUE(RunDyingAt(InPlace("100"), kSyncCallName, 3));
    ASSERT_TRUE(std::filesystem::exists(journal));
    ASSERT_NE(ReadBytes(image), imageBytes);
  }
  static bool Noted(const RunResult& result, const std::string& text) {
    for (const std::string& note : result.notes)
      if (note.find(text) != std::string::npos)
        return true;
    return false;
  }
};

TEST_F(JournalTest, TheNextRunOfAnyKindPlaysAKilledRunBack) {
  for (const bool inPlaceAgain : {false, true}) {
    KillInPlaceAfterTheWrite();
    const RunResult result = RunJob(inPlaceAgain ? InPlace("100") : Cut("0", "FFF"));
    ASSERT_EQ(result.outcome, PatchOutcome::Done) << result.failureReason;
    EXPECT_TRUE(Noted(result, "undid an interrupted run on source file " + image +
                                  ": restored 256 bytes at 0x100"));
    EXPECT_FALSE(std::filesystem::exists(journal));
    if (inPlaceAgain)
      EXPECT_EQ(ReadBytes(image), Concat({Slice(imageBytes, 0, 0x100), transcriptBytes,
                                          Slice(imageBytes, 0x200, 0xE00)}));
    else
      EXPECT_EQ(ReadBytes(destination), imageBytes) << "the cut saw the image as it was";
  }
  EXPECT_EQ(ListFolder(dir.Path()).size(), 3u);
}

TEST_F(JournalTest, ATornJournalIsRemovedAndTheImageLeftAlone) {
  Files(0x1000, 0x100);
  ASSERT_TRUE(RunDyingAt(InPlace("100"), kSyncCallName, 1));  // the journal was never synced
  std::filesystem::resize_file(journal, std::filesystem::file_size(journal) - 1);
  const RunResult result = RunJob(Cut("0", "F"));
  EXPECT_EQ(result.outcome, PatchOutcome::Done);
  EXPECT_TRUE(Noted(result, "removed the unfinished undo journal"));
  EXPECT_FALSE(std::filesystem::exists(journal));
  EXPECT_EQ(ReadBytes(image), imageBytes);
}

TEST_F(JournalTest, AJournalOfAnImageOfAnotherLengthIsRefusedAndNothingChanges) {
  KillInPlaceAfterTheWrite();
  Bytes grown = ReadBytes(image);
  grown.push_back(0);
  WriteBytes(image, grown);
  ExpectRefused(Cut("0", "F"),
                "its journal " + journal +
                    " was written for a file of 4096 bytes, the file now has 4097 bytes; nothing "
                    "was changed");
}

}  // namespace
}  // namespace zarneth::test

// Where the file system has no rename that refuses to replace (a FUSE exFAT, some network
// file systems), a file another program makes under the destination's name while the run
// writes is still never replaced: the new name is given by a hard link, which never
// replaces, and where there are no hard links either a run asked to keep existing files
// refuses in words.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <optional>

#include "fault_injection.h"
#include "file_exception.h"
#include "patch_job.h"
#include "posix_calls.h"
#include "run_fixture.h"
#include "system_call_hook.h"

namespace zarneth::test {
namespace {

std::string madeMeanwhile;
// Once the no-replace rename was refused, right before the call that gives the new content
// its name (a link, or a plain rename after a check), another program makes a file there.
int MakeTheFileBeforeTheRename(const char* call) {
  const std::string name = call;
  if (!madeMeanwhile.empty() && (name == "linkat" || name == "rename")) {
    WriteBytes(madeMeanwhile, Pattern(33, 4));
    madeMeanwhile.clear();
  }
  return 0;
}

class NoReplaceTest : public RunFixture {};

// Invariant 4 of the save (save_file.h).
TEST_F(NoReplaceTest, AFileMadeMeanwhileIsNeverReplaced) {
  struct Case {
    const char* name;
    bool hardLinks;
    bool noClobber;
    const char* refusal;  // in the file error's words
  };
  const Case cases[] = {
      {"hard links", true, false, "File exists"},
      {"hard links, no clobber", true, true, "File exists"},
      {"no hard links", false, false, "File exists"},
      {"no hard links, no clobber", false, true,
       "its file system can neither rename without replacing nor give a file a second name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Files(0x1000, 0x100);
    std::filesystem::remove(destination);
    ScopedFaults faults;
    faults.NoAnonymousFiles();
    PosixCalls& calls = ActivePosixCalls();
    calls.renameNoReplace = [](int, const char*, int, const char*) { return errno = EINVAL, -1; };
    if (!c.hardLinks)
      calls.linkat = [](int, const char*, int, const char*, int) { return errno = EPERM, -1; };
    CutRange cut = std::get<CutRange>(OperationOf(Cut("0", "FF")));
    cut.noClobber = c.noClobber;
    madeMeanwhile = destination;
    SetSystemCallHook(&MakeTheFileBeforeTheRename);
    std::string thrown;
    try {
      const WriteResult result = zarneth::Run(cut);
      EXPECT_EQ(result.outcome(), PatchOutcome::Failed);
    } catch (const CFileException& e) {
      thrown = e.what();
    }
    SetSystemCallHook(nullptr);
    EXPECT_NE(thrown.find(c.refusal), std::string::npos) << thrown;
    EXPECT_EQ(ReadBytes(destination), Pattern(33, 4)) << "the other program's file was replaced";
    EXPECT_EQ(ListFolder(dir.Path()).size(), 3u) << "a temporary was left";
  }
}

// The hard link's way leaves one name: the temporary's goes even where its first removal
// fails, and where it cannot go at all the new name goes too and the run fails with nothing
// changed. A done run leaves only the file it reports.
TEST_F(NoReplaceTest, TheLinksWayLeavesOnlyTheNewName) {
  struct Case {
    const char* name;
    int failingRemovals;  // of the unlink calls after the link, how many fail
    bool done;
  };
  const Case cases[] = {
      {"every removal goes", 0, true},
      {"the first removal fails", 1, true},
      {"the temporary's name cannot go", 3, false},
  };
  static int failing;
  static bool linked;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Files(0x1000, 0x100);
    std::filesystem::remove(destination);
    const FolderListing before = ListFolder(dir.Path());
    ScopedFaults faults;
    faults.NoAnonymousFiles();
    failing = c.failingRemovals;
    linked = false;
    SetSystemCallHook([](const char* call) -> int {
      const std::string name = call;
      if (name == "linkat")
        linked = true;
      return linked && name == "unlink" && failing-- > 0 ? EIO : 0;
    });
    ActivePosixCalls().renameNoReplace = [](int, const char*, int, const char*) {
      return errno = EINVAL, -1;
    };
    std::string thrown;
    try {
      const WriteResult result = zarneth::Run(std::get<CutRange>(OperationOf(Cut("0", "FF"))));
      EXPECT_EQ(result.outcome() == PatchOutcome::Done, c.done) << result.status.reason;
    } catch (const CFileException& e) {
      thrown = e.what();
      EXPECT_FALSE(c.done) << thrown;
    }
    SetSystemCallHook(nullptr);
    FolderListing expected = before;
    if (c.done)
      expected["out.bin"] = Slice(imageBytes, 0, 0x100);
    EXPECT_TRUE(ListFolder(dir.Path()) == expected) << "a name the run did not report was left";
  }
}

}  // namespace
}  // namespace zarneth::test

// A user who swaps their folder for a link while root's runs go through it: every run
// resolves the folder once and works from the folder it holds, so no file is ever created,
// replaced or read in the folder the link leads to.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "file_exception.h"
#include "patch_job.h"
#include "platform_files.h"
#include "run_fixture.h"

namespace zarneth::test {
namespace {

constexpr uid_t kAttacker = 1234;

// A child process of the attacker's that swaps `folder` and `link` (a link to elsewhere)
// with one atomic exchange after another until it is killed.
class Swapper {
 public:
  Swapper(const std::string& folder, const std::string& link, const std::string& target) {
    m_pid = ::fork();
    if (m_pid == 0) {
      if (::setgid(kAttacker) != 0 || ::setuid(kAttacker) != 0 ||
          ::symlink(target.c_str(), link.c_str()) != 0)
        ::_exit(1);
      for (;;)
        ::renameat2(AT_FDCWD, folder.c_str(), AT_FDCWD, link.c_str(), RENAME_EXCHANGE);
    }
    // Going once the link is there.
    for (int wait = 0;
         wait < 2000 && !std::filesystem::is_symlink(link) && !std::filesystem::is_symlink(folder);
         ++wait)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~Swapper() { Stop(); }
  void Stop() {
    if (m_pid <= 0)
      return;
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
  }

 private:
  pid_t m_pid = -1;
};

class MovingLinkTest : public RunFixture {};

// Invariant 3 of the save (save_file.h).
TEST_F(MovingLinkTest, AFolderSwappedForALinkMidRunNeverMovesAWriteOrARead) {
  if (::geteuid() != 0)
    GTEST_SKIP() << "needs the right to become another user, whose links root must not follow";
  ::chmod(dir.Path().c_str(), 0755);
  const std::string shared = dir / "shared";
  const std::string build = shared + "/build";
  const std::string swap = shared + "/swap";
  const std::string guarded = dir / "root-only";
  ASSERT_TRUE(MakeSharedFolder(shared));
  std::filesystem::create_directory(build);
  std::filesystem::create_directory(guarded);
  ::chmod(guarded.c_str(), 0755);
  Files(0x1000, 0x100);
  // The same names on both sides: root's secret and image in the guarded folder.
  for (const std::string& folder : {build, guarded}) {
    WriteBytes(folder + "/img", folder == build ? imageBytes : Pattern(0x1000, 9));
    WriteBytes(folder + "/copy", Pattern(0x1000, 8));
  }
  ::chmod((guarded + "/img").c_str(), 0600);
  ASSERT_EQ(::lchown(build.c_str(), kAttacker, kAttacker), 0);
  for (const char* name : {"/img", "/copy"})
    ASSERT_EQ(::lchown((build + name).c_str(), kAttacker, kAttacker), 0);
  const FolderListing before = ListFolder(guarded);

  struct Case {
    const char* name;
    PatchJob job;
  };
  PatchJob cutNew = Cut("0", "FF");
  PatchJob copyOver = Copy("10");
  copyOver.destinationPath = build + "/copy";
  PatchJob inPlace = InPlace("10");
  inPlace.sourcePath = build + "/img";
  PatchJob readThrough = Cut("0", "FF");
  readThrough.sourcePath = build + "/img";
  readThrough.destinationPath = dir / "read.bin";
  int done = 0;
  {
    Swapper swapper(build, swap, guarded);
    for (int round = 0; round < 60; ++round) {
      cutNew.destinationPath = build + "/job" + std::to_string(round);
      const Case cases[] = {{"a cut to a new name", cutNew},
                            {"a copy over a file", copyOver},
                            {"in place", inPlace},
                            {"a read", readThrough}};
      for (const Case& c : cases) {
        // A file error mid-run is a failed run, as the dialog and zarneth-cli report it.
        WriteResult result;
        try {
          result = RunJob(c.job);
        } catch (const CFileException&) {
          continue;
        }
        done += result.outcome() == PatchOutcome::Done;
        const bool read = c.job.destinationPath == readThrough.destinationPath;
        if (read && result.outcome() == PatchOutcome::Done) {
          ASSERT_NE(ReadBytes(readThrough.destinationPath), Slice(Pattern(0x1000, 9), 0, 0x100))
              << "round " << round << ": root's guarded image was read";
        }
      }
    }
  }
  EXPECT_GT(done, 0) << "no run went through while the folder was in place";
  const FolderListing after = ListFolder(guarded);
  EXPECT_EQ(after.size(), before.size()) << "a file was created in the guarded folder";
  EXPECT_TRUE(after == before) << "a file of the guarded folder was replaced";
}

}  // namespace
}  // namespace zarneth::test

// What the file system will refuse at the commit is refused by the dry run and by the real
// run before it copies anything, in the same words: an immutable or append-only image or
// destination or folder (chattr +i, +a), a backup whose name would be too long.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <vector>

#include "fault_injection.h"
#include "patch_job.h"
#include "platform_files.h"
#include "posix_calls.h"
#include "run_fixture.h"

namespace zarneth::test {
namespace {

// Sets the inode flags of `path` (a file or a folder); false where the file system or the
// caller cannot (only root may set +i and +a).
bool SetInodeFlags(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  int now = 0;
  const bool set = ::ioctl(fd, FS_IOC_GETFLAGS, &now) == 0 &&
                   (now = (now & ~(FS_IMMUTABLE_FL | FS_APPEND_FL)) | flags,
                    ::ioctl(fd, FS_IOC_SETFLAGS, &now) == 0);
  ::close(fd);
  return set;
}

class DryRunMatchTest : public RunFixture {
 protected:
  // Runs `operation` as a dry run and for real: both must fail with `reason`, the folder
  // as it was.
  template <typename Operation>
  void ExpectBothRefuse(Operation operation, const std::string& reason) {
    const FolderListing before = ListFolder(dir.Path());
    operation.dryRun = true;
    const WriteResult dry = zarneth::Run(WriteOperation(operation));
    operation.dryRun = false;
    const WriteResult real = zarneth::Run(WriteOperation(operation));
    EXPECT_EQ(dry.outcome(), PatchOutcome::Failed);
    EXPECT_EQ(real.outcome(), PatchOutcome::Failed);
    EXPECT_NE(real.status.reason.find(reason), std::string::npos) << real.status.reason;
    EXPECT_EQ(dry.status.reason, real.status.reason);
    EXPECT_TRUE(ListFolder(dir.Path()) == before);
  }
};

// Invariant 8 of the save (save_file.h).
TEST_F(DryRunMatchTest, FlagsThatForbidTheRenameAreRefusedBeforeAnythingIsCopied) {
  struct Case {
    const char* name;
    std::string flagged;  // the file or folder flagged
    int flags;
    bool inPlace;
    const char* reason;
  };
  const Case cases[] = {
      {"an immutable image", image, FS_IMMUTABLE_FL, true,
       "the file is marked immutable (chattr +i)"},
      {"an append-only image", image, FS_APPEND_FL, true,
       "the file is marked append-only (chattr +a)"},
      {"an immutable destination", destination, FS_IMMUTABLE_FL, false,
       "the file is marked immutable (chattr +i)"},
      {"an append-only folder", dir.Path().string(), FS_APPEND_FL, true,
       "its folder is marked append-only (chattr +a)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Files(0x1000, 0x100);
    WriteBytes(destination, Pattern(10, 3));
    if (!SetInodeFlags(c.flagged, c.flags))
      GTEST_SKIP() << "needs a file system with inode flags and the right to set them (root)";
    if (c.inPlace)
      ExpectBothRefuse(std::get<PatchInPlace>(OperationOf(InPlace("10"))), c.reason);
    else
      ExpectBothRefuse(std::get<PatchCopy>(OperationOf(Copy("10"))), c.reason);
    SetInodeFlags(c.flagged, 0);
  }
}

// Invariant 8 of the save (save_file.h).
TEST_F(DryRunMatchTest, ABackupNameTooLongIsRefusedBeforeAnythingIsCopied) {
  Files(0x1000, 0x100);
  const std::string longImage = dir / std::string(253, 'i');
  std::filesystem::rename(image, longImage);
  PatchInPlace inPlace = std::get<PatchInPlace>(OperationOf(InPlace("10")));
  inPlace.sourcePath = longImage;
  inPlace.backup = true;
  ExpectBothRefuse(inPlace, "would be longer than the 255 characters a file name may have");
}

// A file system that says it gives files second names and then refuses the link (a FUSE
// one): the real run tries it on its own temporary and refuses the backup before anything is
// copied; the image never gets a trial name, and the dry run links nothing, so that it
// changes no time stamp (it says what the file system says of itself).
// Invariants 7 and 8 of the save (save_file.h).
TEST_F(DryRunMatchTest, ABackupTheFileSystemCannotLinkIsRefusedBeforeAnythingIsCopied) {
  Files(0x1000, 0x100);
  static std::vector<std::string> linked;
  linked.clear();
  ScopedFaults faults;
  ActivePosixCalls().linkat = [](int, const char* from, int, const char*, int) {
    linked.push_back(from);
    return errno = EPERM, -1;
  };
  PatchInPlace inPlace = std::get<PatchInPlace>(OperationOf(InPlace("10")));
  inPlace.backup = true;
  inPlace.dryRun = true;
  const FolderListing before = ListFolder(dir.Path());
  EXPECT_EQ(zarneth::Run(WriteOperation(inPlace)).outcome(), PatchOutcome::Done);
  EXPECT_TRUE(linked.empty()) << "the dry run linked " << linked.front();
  inPlace.dryRun = false;
  const WriteResult real = zarneth::Run(WriteOperation(inPlace));
  EXPECT_EQ(real.outcome(), PatchOutcome::Failed);
  EXPECT_NE(real.status.reason.find("its file system does not give a file a second name (a hard "
                                    "link), which the backup is (Operation not permitted)"),
            std::string::npos)
      << real.status.reason;
  ASSERT_FALSE(linked.empty());
  for (const std::string& from : linked)
    EXPECT_NE(from, "image.bin") << "the image was given a trial name";
  EXPECT_TRUE(ListFolder(dir.Path()) == before);
}

// What the real run refuses, the dry run refuses in its words: every backup name taken, a
// FUSE file system that can keep no existing file (no clobber); and what the real run does
// on a file system without owners, the dry run says it does.
// Invariant 8 of the save (save_file.h).
// A file system that says a file may have 127 names and gives it one: exFAT in the kernel,
// or a FUSE server of the FAT family (`type`, as the mount table names it).
void SecondNamesRefused(unsigned long magic, const char* type) {
  static unsigned long fileSystem;
  static const char* mountType;
  fileSystem = magic;
  mountType = type;
  PosixCalls& calls = ActivePosixCalls();
  calls.fstatfs = [](int, struct statfs* info) {
    *info = {};
    info->f_type = static_cast<decltype(info->f_type)>(fileSystem);
    return 0;
  };
  calls.fpathconf = [](int, int) { return 127L; };
  calls.mountType = [](int, char* out, std::size_t size) {
    std::snprintf(out, size, "%s", mountType);
    return static_cast<int>(std::strlen(out));
  };
  calls.linkat = [](int, const char*, int, const char*, int) { return errno = EPERM, -1; };
  calls.renameNoReplace = [](int, const char*, int, const char*) { return errno = EINVAL, -1; };
}

TEST_F(DryRunMatchTest, DryRunsAnswerAsTheRealRunDoes) {
  struct Row {
    const char* name;
    bool inPlace;
    std::function<void()> arrange;
    const char* refusal;   // none: both done
    bool newFile = false;  // a copy to a name that does not exist yet
  };
  const Row rows[] = {
      {"every backup name taken", true,
       [&] {
         for (int n = 0; n < 1000; ++n)
           WriteBytes(image + ".bak" + (n == 0 ? "" : "." + std::to_string(n)), {});
       },
       "every backup name up to .bak.999 is taken"},
      {"a FUSE file system without hard links, no clobber", false,
       [] {
         ActivePosixCalls().fstatfs = [](int, struct statfs* info) {
           *info = {};
           info->f_type = 0x65735546;  // FUSE
           return 0;
         };
         ActivePosixCalls().fpathconf = [](int, int) { return 1L; };
       },
       "its file system can neither rename without replacing nor give a file a second name"},
      {"fusefat, a backup", true, [] { SecondNamesRefused(0x65735546, "fuse.fusefat"); },
       "its file system does not give a file a second name (a hard link), which the backup is"},
      {"exFAT, a backup", true, [] { SecondNamesRefused(0x2011BAB0, "exfat"); },
       "its file system does not give a file a second name (a hard link), which the backup is"},
      {"fusefat, no clobber", false, [] { SecondNamesRefused(0x65735546, "fuse.fusefat"); },
       "its file system can neither rename without replacing nor give a file a second name"},
      {"a file system without owners, over an existing file", false,
       [] { ActivePosixCalls().fchown = [](int, uid_t, gid_t) { return errno = ENOSYS, -1; }; },
       nullptr},
      // A new file takes a read-only image's bits; FAT holds no mode and says so.
      {"a file system without modes (fusefat), a new file", false,
       [&] {
         ::chmod(image.c_str(), 0400);
         ActivePosixCalls().fchmod = [](int, mode_t) { return errno = ENOSYS, -1; };
       },
       nullptr, true},
      {"a file system without modes (vfat), a new file", false,
       [&] {
         ::chmod(image.c_str(), 0400);
         ActivePosixCalls().fchmod = [](int, mode_t) { return errno = EPERM, -1; };
       },
       nullptr, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ResetFolder(!row.inPlace);
    ScopedFaults faults;
    row.arrange();
    if (row.inPlace) {
      PatchInPlace inPlace = std::get<PatchInPlace>(OperationOf(InPlace("10")));
      inPlace.backup = true;
      if (row.refusal)
        ExpectBothRefuse(inPlace, row.refusal);
    } else {
      PatchCopy copy = std::get<PatchCopy>(OperationOf(Copy("10")));
      copy.noClobber = row.refusal != nullptr;
      if (row.refusal) {
        std::filesystem::remove(destination);
        ExpectBothRefuse(copy, row.refusal);
      } else {
        for (const bool dryRun : {true, false}) {
          if (row.newFile)
            std::filesystem::remove(destination);
          copy.dryRun = dryRun;
          const WriteResult result = zarneth::Run(WriteOperation(copy));
          EXPECT_EQ(result.outcome(), PatchOutcome::Done) << result.status.reason;
        }
      }
    }
  }
}

// An attribute of the security namespace that no module lets the owner set (security.foo, a
// Smack label) is refused to a user other than root by the dry run as by the real run.
// Invariants 6 and 8 of the save (save_file.h).
TEST_F(DryRunMatchTest, ASecurityAttributeOnlyTheSuperuserSetsIsRefusedByBoth) {
  Files(0x1000, 0x100);
  ScopedFaults faults;
  ActivePosixCalls().flistxattr = [](int, char* names, std::size_t size) -> ssize_t {
    static const char kList[] = "security.foo";
    if (size >= sizeof kList)
      std::copy(kList, kList + sizeof kList, names);
    return sizeof kList;
  };
  ActivePosixCalls().fgetxattr = [](int, const char*, void* value, std::size_t size) -> ssize_t {
    if (size > 0)
      *static_cast<char*>(value) = 'x';
    return 1;
  };
  PatchInPlace inPlace = std::get<PatchInPlace>(OperationOf(InPlace("10")));
  // Both runs refused in the same words, nothing changed: 0; else what differed.
  const auto bothRefuse = [&]() -> int {
    const FolderListing before = ListFolder(dir.Path());
    inPlace.dryRun = true;
    const WriteResult dry = zarneth::Run(WriteOperation(inPlace));
    inPlace.dryRun = false;
    const WriteResult real = zarneth::Run(WriteOperation(inPlace));
    if (real.outcome() != PatchOutcome::Failed ||
        real.status.reason.find("security.foo (a security attribute) can be given to a new "
                                "file only by the superuser") == std::string::npos)
      return 1;
    if (dry.status.reason != real.status.reason)
      return 2;
    return ListFolder(dir.Path()) == before ? 0 : 3;
  };
  if (::geteuid() != 0) {
    EXPECT_EQ(bothRefuse(), 0);
    return;
  }
  for (const std::string& path : {dir.Path().string(), image, transcript})
    ASSERT_EQ(::chown(path.c_str(), 1234, 1234), 0);
  const auto code = RunAsAnotherUser(bothRefuse);
  ASSERT_TRUE(code.has_value());
  EXPECT_EQ(*code, 0);
}

}  // namespace
}  // namespace zarneth::test

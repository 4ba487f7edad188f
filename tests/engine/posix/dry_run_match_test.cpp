// What the file system will refuse at the commit is refused by the dry run and by the real
// run before it copies anything, in the same words: an immutable or append-only image or
// destination or folder (chattr +i, +a), a backup whose name would be too long.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "fault_injection.h"
#include "patch_job.h"
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
// one): the backup is refused before anything is copied.
TEST_F(DryRunMatchTest, ABackupTheFileSystemCannotLinkIsRefusedBeforeAnythingIsCopied) {
  Files(0x1000, 0x100);
  ScopedFaults faults;
  ActivePosixCalls().linkat = [](int, const char*, int, const char*, int) {
    return errno = EPERM, -1;
  };
  PatchInPlace inPlace = std::get<PatchInPlace>(OperationOf(InPlace("10")));
  inPlace.backup = true;
  ExpectBothRefuse(inPlace,
                   "its file system does not give a file a second name (a hard link), "
                   "which the backup is (Operation not permitted)");
}

}  // namespace
}  // namespace zarneth::test

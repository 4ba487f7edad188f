// Where the file system shares blocks (btrfs, XFS), a patch clones the image into the new
// file at once and writes only the transcript over it; a cut, which moves its range, copies.
// The clone is played here by a copy through the system-call seam, so that the pieces the
// run skips and the bytes it writes can be checked on any file system.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>

#include "fault_injection.h"
#include "patch_job.h"
#include "posix_calls.h"
#include "run_fixture.h"
#include "run_report.h"

namespace zarneth::test {
namespace {

int clones = 0;

// What FICLONE leaves: `to` holds every byte of `from`.
int CopyAsAClone(int toFd, int fromFd) {
  struct stat info {};
  if (::fstat(fromFd, &info) != 0)
    return -1;
  off_t fromAt = 0;
  off_t toAt = 0;
  for (off_t left = info.st_size; left > 0;) {
    const ssize_t n =
        ::copy_file_range(fromFd, &fromAt, toFd, &toAt, static_cast<std::size_t>(left), 0);
    if (n <= 0)
      return -1;
    left -= n;
  }
  ++clones;
  return 0;
}

class CloneTest : public RunFixture {};

TEST_F(CloneTest, APatchClonesTheImageAndWritesOnlyTheTranscript) {
  struct Case {
    const char* name;
    PatchJob job;
    int clones;
  };
  Files(0x40000, 0x1000);
  const Bytes patched =
      Concat({Slice(imageBytes, 0, 0x100), transcriptBytes, Slice(imageBytes, 0x1100, 0x3EF00)});
  const Case cases[] = {
      {"in place", InPlace("100"), 1},
      {"a patched copy", Copy("100"), 1},
      {"a cut", Cut("100", "10FF"), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Files(0x40000, 0x1000);
    ScopedFaults faults;
    ActivePosixCalls().clone = &CopyAsAClone;
    clones = 0;
    const WriteResult result = RunJob(c.job);
    ASSERT_EQ(result.outcome(), PatchOutcome::Done) << result.status.reason;
    EXPECT_EQ(clones, c.clones);
    const bool cut = c.job.mode == PatchMode::Cut;
    EXPECT_EQ(ReadBytes(c.job.createNewFile || cut ? destination : image),
              cut ? Slice(imageBytes, 0x100, 0x1000) : patched);
    EXPECT_EQ(CrcText(result.crc), CrcOf(cut ? Slice(imageBytes, 0x100, 0x1000) : transcriptBytes));
  }
}

}  // namespace
}  // namespace zarneth::test

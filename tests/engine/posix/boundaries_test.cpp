// What a run must not let cross from one user to another: a new file more readable than what
// it was made from, a FIFO or device opened before it is judged, a write or read that a
// /proc link moves to where its text points instead of where the kernel leads.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "patch_job.h"
#include "run_fixture.h"

namespace zarneth::test {
namespace {

class BoundariesTest : public RunFixture {
 protected:
  void SetUp() override { Files(0x2000, 0x100); }
};

unsigned ModeOf(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// A new file takes the image's permission bits less the umask, as cp gives a copy; a file
// written over keeps its own.
TEST_F(BoundariesTest, ANewFileIsAsPrivateAsTheImageItIsMadeFrom) {
  struct Row {
    const char* name;
    unsigned imageMode;
    mode_t umask;
    bool existing;  // the destination exists, with mode 0640
    bool cut;
    unsigned expected;
  };
  const Row rows[] = {
      {"a copy of a private image", 0600, 022, false, false, 0600},
      {"a cut of a private image", 0600, 022, false, true, 0600},
      {"a copy of a group-readable image", 0640, 022, false, false, 0640},
      {"the umask takes from the image's bits", 0664, 027, false, true, 0640},
      {"set-id bits stay behind", 04755, 022, false, false, 0755},
      {"a read-only image gives a read-only copy", 0444, 022, false, false, 0444},
      {"a file written over keeps its own", 0600, 022, true, false, 0640},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove(destination);
    if (row.existing) {
      WriteBytes(destination, Pattern(10, 3));
      ::chmod(destination.c_str(), 0640);
    }
    ::chmod(image.c_str(), row.imageMode);
    const mode_t before = ::umask(row.umask);
    const WriteResult result = RunJob(row.cut ? Cut("0", "FF") : Copy("10"));
    ::umask(before);
    ASSERT_EQ(result.outcome(), PatchOutcome::Done) << result.status.reason;
    EXPECT_EQ(ModeOf(destination), row.expected) << std::oct << ModeOf(destination);
  }
}

}  // namespace
}  // namespace zarneth::test

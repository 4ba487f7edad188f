// What a run must not let cross from one user to another: a new file more readable than what
// it was made from, a FIFO or device opened before it is judged, a write or read that a
// /proc link moves to where its text points instead of where the kernel leads.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "file_exception.h"
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
// Invariant 6 of the save (save_file.h).
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

// A link of /proc leads where the kernel says, which may not be where its text says: a removed
// folder's link reads "<folder> (deleted)", a name anyone may make. A run ends where the
// kernel's own open would, or nowhere.
// Invariant 3 of the save (save_file.h).
TEST_F(BoundariesTest, ProcLinksLeadWhereTheKernelLeads) {
  const std::string live = dir / "live";
  const std::string removed = dir / "removed";
  const std::string planted = dir / "removed (deleted)";  // what the removed one's link reads
  std::filesystem::create_directory(live);
  std::filesystem::create_directory(removed);
  const int liveFd = ::open(live.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const int removedFd = ::open(removed.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const int imageFd = ::open(image.c_str(), O_RDONLY | O_CLOEXEC);
  std::filesystem::remove(removed);
  std::filesystem::create_directory(planted);
  const auto proc = [](int fd, const std::string& rest) {
    return "/proc/self/fd/" + std::to_string(fd) + rest;
  };
  struct Row {
    const char* name;
    PatchJob job;
    bool done;
    const char* reason;
  };
  const Row rows[] = {
      {"a cut into a folder held open",
       With(Cut("0", "F"), &PatchJob::destinationPath, proc(liveFd, "/cut.bin")), true, ""},
      {"a cut into a removed folder",
       With(Cut("0", "F"), &PatchJob::destinationPath, proc(removedFd, "/cut.bin")), false,
       "cut.bin"},
      {"an image named by a link to a file",
       With(Copy("10"), &PatchJob::sourcePath, proc(imageFd, "")), false,
       "it is a link of the /proc file system to a file"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    // A removed folder refuses the new file when it is made or when it is named, as the file
    // system has it: a refusal, or a file error with nothing changed.
    std::string said;
    bool done = false;
    try {
      const WriteResult result = RunJob(row.job);
      done = result.outcome() == PatchOutcome::Done;
      said = result.status.reason;
    } catch (const CFileException& e) {
      said = e.what();
    }
    EXPECT_EQ(done, row.done) << said;
    EXPECT_NE(said.find(row.reason), std::string::npos) << said;
    EXPECT_TRUE(std::filesystem::is_empty(planted)) << "a run followed a link's text";
  }
  EXPECT_EQ(ReadBytes(live + "/cut.bin"), Slice(imageBytes, 0, 16));
  for (const int fd : {liveFd, removedFd, imageFd})
    ::close(fd);
}

// A FIFO is refused from what the walk saw, never opened: a writer waiting on it keeps
// waiting, as it would if no run had named it.
TEST_F(BoundariesTest, AFifoIsRefusedWithoutBeingOpened) {
  const std::string fifo = dir / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::atomic<bool> released = false;
  std::thread writer([&] {
    const int fd = ::open(fifo.c_str(), O_WRONLY | O_CLOEXEC);  // waits for a reader
    released = true;
    if (fd >= 0)
      ::close(fd);
  });
  const std::vector<std::pair<const char*, PatchJob>> jobs = {
      {"the image of a cut", With(Cut("0", "F"), &PatchJob::sourcePath, fifo)},
      {"the transcript of a copy", With(Copy("10"), &PatchJob::transcriptPath, fifo)},
      {"the destination of a cut", With(Cut("0", "F"), &PatchJob::destinationPath, fifo)},
  };
  for (const auto& [name, job] : jobs) {
    SCOPED_TRACE(name);
    ExpectRefused(job, "it is a FIFO, not a regular file");
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(released) << "a run opened the FIFO";
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);  // lets it go
  writer.join();
  ::close(reader);
}

}  // namespace
}  // namespace zarneth::test

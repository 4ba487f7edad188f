// The run is made to die right before each of its system calls in turn, as SQLite's crash
// tests do; after each death a later run settles the folder (plays back a journal, removes a
// stale temporary file), and the folder must then hold exactly the old files or exactly the
// new ones: never a third state, never a stray file.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>

#include "dying_run.h"
#include "patch_job.h"
#include "run_fixture.h"

namespace zarneth::test {
namespace {

class CrashSweepTest : public RunFixture {
 protected:
  // Puts the folder back to its state before the run.
  void Restore(bool withDestination) {
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
      std::filesystem::remove(entry.path());
    Files(0x40000, 100000);  // the transcript is longer than one copy buffer
    if (withDestination)
      WriteBytes(destination, Pattern(3000, 5));
  }

  // A later run that opens the image and writes into the folder, then leaves no trace.
  void Settle() {
    PatchJob settle = Cut("0", "0");
    settle.destinationPath = dir / "settle.bin";
    const RunResult result = RunJob(settle);
    ASSERT_EQ(result.outcome, PatchOutcome::Done) << result.failureReason;
    std::filesystem::remove(settle.destinationPath);
  }

  // Sweeps every crash point of `job`; returns how many there were.
  int Sweep(const PatchJob& job, bool withDestination) {
    Restore(withDestination);
    const FolderListing before = ListFolder(dir.Path());
    EXPECT_EQ(RunJob(job).outcome, PatchOutcome::Done);
    const FolderListing after = ListFolder(dir.Path());
    EXPECT_FALSE(after == before);

    int points = 0;
    for (int point = 1;; ++point) {
      Restore(withDestination);
      const bool died = RunDyingAt(job, nullptr, point);
      Settle();
      const FolderListing settled = ListFolder(dir.Path());
      EXPECT_TRUE(settled == before || settled == after)
          << "dying before system call " << point << " left a third state";
      if (!died)
        return points;
      ++points;
    }
  }
};

TEST_F(CrashSweepTest, EveryCrashPointLeavesTheOldOrTheNewFiles) {
  struct Kind {
    const char* name;
    PatchJob job;
    bool withDestination;
  };
  const Kind kinds[] = {
      {"patched copy", Copy("1000"), false},
      {"patched copy over an existing file", Copy("1000"), true},
      {"cut", Cut("1000", "2FFFF"), false},
      {"cut over an existing file", Cut("1000", "2FFFF"), true},
      {"in place", InPlace("1000"), false},
  };
  int total = 0;
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(kind.name);
    const int points = Sweep(kind.job, kind.withDestination);
    EXPECT_GT(points, 5);
    std::cout << kind.name << ": " << points << " crash points\n";
    total += points;
  }
  std::cout << "all kinds: " << total << " crash points\n";
  RecordProperty("crash_points", total);
}

}  // namespace
}  // namespace zarneth::test

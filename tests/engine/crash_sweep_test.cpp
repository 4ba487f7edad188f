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
  // Sweeps every crash point of `job`; returns how many there were.
  int Sweep(const PatchJob& job, bool withDestination) {
    ResetFolder(withDestination);
    const FolderListing before = ListFolder(dir.Path());
    EXPECT_EQ(RunJob(job).outcome, PatchOutcome::Done);
    const FolderListing after = ListFolder(dir.Path());
    EXPECT_FALSE(after == before);

    int points = 0;
    for (int point = 1;; ++point) {
      ResetFolder(withDestination);
      const bool died = RunDyingAt(job, nullptr, point);
      SettleFolder();
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
  int total = 0;
  for (const RunKind& kind : KindsOfRun()) {
    SCOPED_TRACE(kind.name);
    const int points = Sweep(kind.job, kind.withDestination);
    EXPECT_GT(points, 5);
    std::cout << kind.name << ": " << points << " crash points\n";
    total += points;
  }
  std::cout << "all kinds: " << total << " crash points\n";
  RecordProperty("crash_points", total);
}

// A stop requested before each system call in turn, as Ctrl+C or SIGINT requests it: the run
// either ends with RunStopped, having undone everything itself, or finishes whole.
TEST_F(CrashSweepTest, AStopRequestedAtAnyPointUndoesTheRunOrLetsItFinish) {
  int stopped = 0;
  int points = 0;
  for (const RunKind& kind : KindsOfRun()) {
    SCOPED_TRACE(kind.name);
    ResetFolder(kind.withDestination);
    const FolderListing before = ListFolder(dir.Path());
    ASSERT_EQ(RunJob(kind.job).outcome, PatchOutcome::Done);
    const FolderListing after = ListFolder(dir.Path());
    for (int point = 1;; ++point) {
      ResetFolder(kind.withDestination);
      const ChildRun run = RunInterruptedAt(kind.job, Interruption::StopRequest, nullptr, point);
      if (run == ChildRun::NotReached)
        break;
      const bool wasStopped = run == ChildRun::Interrupted;
      EXPECT_TRUE(ListFolder(dir.Path()) == (wasStopped ? before : after))
          << "a stop before system call " << point << (wasStopped ? " left a change" : "");
      stopped += wasStopped;
      ++points;
    }
  }
  std::cout << stopped << " of " << points << " stop requests stopped the run\n";
  EXPECT_GT(stopped, 10) << "few stops landed at a safe point";
}

}  // namespace
}  // namespace zarneth::test

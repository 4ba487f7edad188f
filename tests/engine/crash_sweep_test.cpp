// Each system call of a run is made to fail, to end the process, or to come with a stop
// request, in turn, as SQLite's crash tests do; after each, what the run reported and what
// the folder holds must agree: a failure or a stop leaves exactly the old files, a Done run
// exactly the new ones, never a third state. A killed run may leave one named temporary,
// which the next run to that destination removes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <vector>

#include "c_file.h"
#include "dying_run.h"
#include "fault_injection.h"
#include "file_paths.h"
#include "patch_job.h"
#include "power_cut.h"
#include "run_fixture.h"
#include "save_file.h"
#include "stale_temporaries.h"
#include "system_call_hook.h"

namespace zarneth::test {
namespace {

int failAt = 0;
int failWith = 0;
std::string failedCall;

int FailChosenCall(const char* call) {
  if (--failAt != 0)
    return 0;
  failedCall = call;
  return failWith;
}

// A run whose `point`-th system call failed with `error`: what it reported or threw, and
// which call failed; none when the run made fewer calls.
struct FailedRun {
  WriteResult result;
  std::string thrown;
  std::string call;
  bool Done() const { return thrown.empty() && result.outcome() == PatchOutcome::Done; }
};
std::optional<FailedRun> RunFailingAt(const WriteOperation& job, int error, int point) {
  failAt = point;
  failWith = error;
  failedCall.clear();
  SetSystemCallHook(&FailChosenCall);
  FailedRun run;
  try {
    run.result = zarneth::Run(job);
  } catch (const CFileException& e) {
    run.thrown = e.what();
  }
  SetSystemCallHook(nullptr);
  if (failedCall.empty())
    return std::nullopt;
  run.call = failedCall;
  return run;
}

std::vector<std::string> callsMade;
int RecordCall(const char* call) {
  callsMade.emplace_back(call);
  return 0;
}

// The system calls a whole run of `job` makes, in order.
std::vector<std::string> CallsOf(const WriteOperation& job) {
  callsMade.clear();
  SetSystemCallHook(&RecordCall);
  const WriteResult result = zarneth::Run(job);
  SetSystemCallHook(nullptr);
  EXPECT_EQ(result.outcome(), PatchOutcome::Done) << result.status.reason;
  return callsMade;
}

// Whether `call` renames a file: rename, renameat2, or a rename by handle (Windows).
bool IsRename(const std::string& call) {
  return call.starts_with("rename") || call.ends_with("(rename)");
}

// The number (from 1) of the call that puts the new content under its name, the run's point
// of no return: the last rename, or the link that names a new anonymous file.
int PointOfNoReturn(const std::vector<std::string>& calls) {
  int found = 0;
  for (int at = 0; at < static_cast<int>(calls.size()); ++at) {
    const std::string& call = calls[static_cast<std::size_t>(at)];
    if (IsRename(call) || call == "linkat")
      found = at + 1;
  }
  return found;
}

std::string interruptedCall;
int InterruptFirstOfCall(const char* call) {
  if (interruptedCall.empty() || interruptedCall != call)
    return 0;
  interruptedCall.clear();
  return kInterruptedError;
}

class CrashSweepTest : public RunFixture {
 protected:
  // The folder before and after a whole run of `kind`.
  struct States {
    FolderListing before;
    FolderListing after;
  };
  States Expected(const RunKind& kind) {
    ResetFolder(kind.withDestination);
    States states{ListFolder(dir.Path()), {}};
    const WriteResult result = zarneth::Run(kind.job);
    EXPECT_EQ(result.outcome(), PatchOutcome::Done) << result.status.reason;
    EXPECT_EQ(result.warning, "");
    states.after = ListFolder(dir.Path());
    EXPECT_FALSE(states.after == states.before);
    return states;
  }

  // Runs `interrupt(point)` for point 1, 2, ... on a fresh folder each time, until it says
  // the run ended before that point; returns how many points there were.
  template <typename Interrupt>
  int ForEachPoint(const RunKind& kind, Interrupt interrupt) {
    for (int point = 1;; ++point) {
      ResetFolder(kind.withDestination);
      if (!interrupt(point))
        return point - 1;
    }
  }

  // Calls `sweep(kind, states, anonymous)` for each kind of run, with the temporaries the
  // system gives and again with named ones (a file system without anonymous files) where
  // that differs.
  template <typename Sweep>
  void ForEachKindAndTemporary(Sweep sweep) {
    for (const bool anonymous : {true, false}) {
      if (!anonymous && !ScopedFaults::SystemHasAnonymousFiles())
        continue;
      ScopedFaults faults;
      if (!anonymous)
        faults.NoAnonymousFiles();
      for (const RunKind& kind : KindsOfRun()) {
        SCOPED_TRACE(std::string(kind.name) + (anonymous ? "" : ", named temporary"));
        sweep(kind, Expected(kind), anonymous);
      }
    }
  }

  // Makes the `point`-th system call of `kind`'s run fail with `error`; false when the run
  // made fewer calls. Counts clean Done runs and those with a warning.
  bool FailAt(const RunKind& kind, const States& states, int error, int point, int& warnings) {
    const auto run = RunFailingAt(kind.job, error, point);
    if (!run)
      return false;
    const std::string where = "failing " + run->call + " (system call " + std::to_string(point) +
                              ") with error " + std::to_string(error);
    const bool done = run->Done();
    EXPECT_TRUE(ListFolder(dir.Path()) == (done ? states.after : states.before))
        << where << ": the files do not match the report "
        << (done                  ? "Done"
            : run->thrown.empty() ? run->result.status.reason
                                  : run->thrown);
    // Neither the content's sync nor the rename may fail unseen.
    const bool mustShow = run->call == kSyncCallName || IsRename(run->call);
    if (done && mustShow) {
      EXPECT_NE(run->result.warning, "") << where << ": reported Done without a word";
    }
    warnings += done && !run->result.warning.empty();
    return true;
  }
};

// Invariants 1 and 2 of the save (save_file.h).
TEST_F(CrashSweepTest, EveryFailingSystemCallLeavesTheFilesAsTheRunReports) {
  int total = 0;
  int warned = 0;
  ForEachKindAndTemporary([&](const RunKind& kind, const States& states, bool) {
    for (const int error : {kIoError, kDiskFullError}) {
      int warnings = 0;
      const int points = ForEachPoint(
          kind, [&](int point) { return FailAt(kind, states, error, point, warnings); });
      EXPECT_GT(points, 5);
      EXPECT_GT(warnings, 0) << "a failing folder sync after the rename warns";
      total += points;
      warned += warnings;
    }
  });
  std::cout << "all kinds: " << total << " failing calls, " << warned << " of them Done with a "
            << "warning\n";
}

// Invariants 1, 2 and 5 of the save (save_file.h).
TEST_F(CrashSweepTest, EveryCrashPointLeavesTheOldOrTheNewFiles) {
  int total = 0;
  ForEachKindAndTemporary([&](const RunKind& kind, const States& states, bool anonymous) {
    int leftBehind = 0;
    const int points = ForEachPoint(kind, [&](int point) {
      const bool died = RunDyingAt(kind.job, nullptr, point);
      const FolderListing left = ListFolder(dir.Path());
      leftBehind += !(left == states.before) && !(left == states.after);
      // What the next run to this destination does first.
      RemoveStaleTemporaries(TargetOf(kind.job));
      const FolderListing settled = ListFolder(dir.Path());
      EXPECT_TRUE(settled == states.before || settled == states.after)
          << "dying before system call " << point << " left a third state";
      return died;
    });
    // A temporary without a name, or one the system deletes with its last handle, is left
    // behind only by a death in the instant between its naming and its rename.
    if (anonymous) {
      EXPECT_LE(leftBehind,
                DeathsLeavingATemporary(kind.withDestination || TargetOf(kind.job) == image))
          << "deaths that left a temporary file";
    }
    EXPECT_GT(points, 5);
    total += points;
  });
  std::cout << "all kinds: " << total << " crash points\n";
  RecordProperty("crash_points", total);
}

// A power cut before each system call: whatever the run did not sync is lost (the bytes
// written since a file's last fsync, the names made since its folder's last fsync), and the
// folder must still hold the old files or the new ones; where they are the old, the run
// made again ends as a whole run does.
// Invariants 1, 2 and 5 of the save (save_file.h).
TEST_F(CrashSweepTest, EveryPowerCutLeavesTheOldOrTheNewFiles) {
  const TempDir logs;
  int total = 0;
  ForEachKindAndTemporary([&](const RunKind& kind, const States& states, bool) {
    PowerCut power(dir.Path(), logs.Path());
    int leftNew = 0;
    const int points = ForEachPoint(kind, [&](int point) {
      power.Before();
      const bool died = RunDyingAt(kind.job, nullptr, point);
      power.Cut();
      RemoveStaleTemporaries(TargetOf(kind.job));
      const FolderListing settled = ListFolder(dir.Path());
      EXPECT_TRUE(settled == states.before || settled == states.after)
          << "a power cut before system call " << point << " left a third state";
      leftNew += settled == states.after;
      // Where the old files are back, the run made again makes the new ones.
      if (settled == states.before) {
        const WriteResult again = zarneth::Run(kind.job);
        EXPECT_EQ(again.outcome(), PatchOutcome::Done) << again.status.reason;
        EXPECT_TRUE(ListFolder(dir.Path()) == states.after)
            << "the run after a power cut before system call " << point;
      }
      return died;
    });
    EXPECT_GT(points, 5);
    // Cuts after the folder's sync keep the new files: the syncs were recorded.
    EXPECT_GT(leftNew, 0);
    total += points;
  });
  std::cout << "all kinds: " << total << " power cuts\n";
}

// In place with a backup: killed at any point, the image is old or new and its backup, if
// there is one, is the whole old image; a failure removes the backup it made. A backup that
// exists already is never replaced.
// Invariant 7 of the save (save_file.h).
TEST_F(CrashSweepTest, ABackupIsTheWholeOldImageWhereverTheRunEnds) {
  RunKind kind{"in place with a backup", OperationOf(InPlace("1000")), false};
  std::get<PatchInPlace>(kind.job).backup = true;
  const std::string backup = image + ".bak";
  const States states = Expected(kind);
  EXPECT_EQ(states.after.at("image.bin.bak"), states.before.at("image.bin"));
  const Bytes oldImage = states.before.at("image.bin");
  // The new content stays anonymous while it is written: only deaths in the instants of a
  // name (the link's trial, and between the naming and the rename) leave a temporary.
  int leftATemporary = 0;
  const int points = ForEachPoint(kind, [&](int point) {
    const bool died = RunDyingAt(kind.job, nullptr, point);
    for (const auto& [name, bytes] : ListFolder(dir.Path()))
      leftATemporary += name.find(".zarneth-") != std::string::npos;
    RemoveStaleTemporaries(image);
    const Bytes now = ReadBytes(image);
    const bool changed = now != oldImage;
    EXPECT_TRUE(!changed || now == states.after.at("image.bin")) << "point " << point;
    const bool kept = std::filesystem::exists(PathFromUtf8(backup));
    EXPECT_TRUE(kept ? ReadBytes(backup) == oldImage : !changed)
        << "point " << point << ": the image " << (changed ? "changed" : "is old")
        << ", the backup is " << (kept ? "not the old image" : "missing");
    return died;
  });
  EXPECT_GT(points, 5);
  EXPECT_LE(leftATemporary, 1 + 2 * DeathsLeavingATemporary(true)) << "of " << points;
  int failures = 0;
  ForEachPoint(kind, [&](int point) {
    const auto run = RunFailingAt(kind.job, kIoError, point);
    if (run && !run->Done()) {
      EXPECT_TRUE(ListFolder(dir.Path()) == states.before) << "failing " << run->call;
      ++failures;
    }
    return run.has_value();
  });
  EXPECT_GT(failures, 5);
  ResetFolder(false);
  WriteBytes(backup, Pattern(7, 9));
  ASSERT_EQ(zarneth::Run(kind.job).outcome(), PatchOutcome::Done);
  EXPECT_EQ(ReadBytes(backup), Pattern(7, 9)) << "an existing backup is kept";
  EXPECT_EQ(ReadBytes(image + ".bak.1"), oldImage);
}

// A stop requested before each system call in turn, as Ctrl+C or SIGINT requests it: a stop
// that comes before the call that puts the new content in place ends the run with
// RunStopped and every file as it was; one that comes with it or later is too late, and the
// run finishes whole.
// Invariants 1 and 2 of the save (save_file.h).
TEST_F(CrashSweepTest, AStopRequestedBeforeTheRenameStopsTheRunAndLaterOnesAreTooLate) {
  int stopped = 0;
  int points = 0;
  for (const RunKind& kind : KindsOfRun()) {
    SCOPED_TRACE(kind.name);
    const States states = Expected(kind);
    ResetFolder(kind.withDestination);
    const int noReturn = PointOfNoReturn(CallsOf(kind.job));
    ASSERT_GT(noReturn, 0) << "no call put the new content in place";
    points += ForEachPoint(kind, [&](int point) {
      const ChildRun run = RunInterruptedAt(kind.job, Interruption::StopRequest, nullptr, point);
      if (run == ChildRun::NotReached)
        return false;
      const bool wasStopped = run == ChildRun::Interrupted;
      EXPECT_EQ(wasStopped, point < noReturn)
          << "a stop before system call " << point << " of a run whose call " << noReturn
          << " puts the new content in place";
      EXPECT_TRUE(ListFolder(dir.Path()) == (wasStopped ? states.before : states.after))
          << "a stop before system call " << point << (wasStopped ? " left a change" : "");
      stopped += wasStopped;
      return true;
    });
  }
  std::cout << stopped << " of " << points << " stop requests stopped the run\n";
}

}  // namespace
}  // namespace zarneth::test

namespace zarneth::test {
namespace {

// A signal that interrupts the sync, a link or the rename (EINTR) is no failure: the call is
// made again and the run finishes.
// Invariant 2 of the save (save_file.h).
TEST_F(CrashSweepTest, AnInterruptedSyncLinkOrRenameIsMadeAgain) {
  if (kInterruptedError == 0)
    GTEST_SKIP() << "this system's calls are not interrupted by signals";
  for (const RunKind& kind : KindsOfRun()) {
    const States states = Expected(kind);
    ResetFolder(kind.withDestination);
    const std::vector<std::string> calls = CallsOf(kind.job);
    for (const char* call : {"fsync", "linkat", "rename", "renameat2"}) {
      if (std::find(calls.begin(), calls.end(), call) == calls.end())
        continue;
      SCOPED_TRACE(std::string(kind.name) + ", " + call + " interrupted");
      ResetFolder(kind.withDestination);
      interruptedCall = call;
      SetSystemCallHook(&InterruptFirstOfCall);
      WriteResult result;
      std::string thrown;
      try {
        result = zarneth::Run(kind.job);
      } catch (const CFileException& e) {
        thrown = e.what();
      }
      SetSystemCallHook(nullptr);
      EXPECT_EQ(thrown, "");
      EXPECT_EQ(result.outcome(), PatchOutcome::Done) << result.status.reason;
      EXPECT_EQ(result.warning, "");
      EXPECT_TRUE(ListFolder(dir.Path()) == states.after);
    }
  }
}

}  // namespace
}  // namespace zarneth::test

// Real kills and interrupts on runs over a 64 MiB image: SIGKILL (TerminateProcess) at spread
// delays, and SIGINT, SIGTERM and SIGHUP (Ctrl+Break), which stop the run at its next safe
// point. After each, a later run settles the
// folder, which must then hold exactly the old files or exactly the new ones.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "cli_runner.h"
#include "dying_run.h"
#include "save_file.h"
#include "stale_temporaries.h"
#include "system_call_hook.h"

namespace zarneth::test {
namespace {

class SignalsTest : public testing::Test {
 protected:
  TempDir dir;
  TempDir logs;  // the runner's stdout and stderr, outside the folder under test
  std::string image = dir / "image.bin";
  std::string transcript = dir / "transcript.bin";
  std::string output = dir / "out.bin";

  void Restore(const Bytes& imageBytes, const Bytes& transcriptBytes) {
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
      std::filesystem::remove(entry.path());
    WriteBytes(image, imageBytes);
    WriteBytes(transcript, transcriptBytes);
  }

  // The folder as the next run to `target` finds it, once it removed what a killed run
  // may leave: its temporary, if it was killed between naming it and the rename.
  FolderListing Settle(const std::string& target) {
    RemoveStaleTemporaries(target);
    return ListFolder(dir.Path());
  }

  struct Stop {
    const Interrupt* interrupt;  // null: killed
    int delayMs;
  };

  // Stops each kind of run at each of `stops` in turn; returns how many interrupts landed
  // mid-run. After each, the folder must hold exactly the old files or exactly the new ones.
  int StopEachRunAt(const std::vector<Stop>& stops) {
    const Bytes imageBytes = Pattern(64 << 20, 1);
    const Bytes transcriptBytes = Pattern(32 << 20, 2);
    const std::vector<std::string> kinds[] = {
        {"patch", "--source", image, "--transcript", transcript, "--start", "100000", "--output",
         output},
        {"cut", "--source", image, "--start", "100000", "--end", "20FFFFF", "--output", output},
        {"patch", "--source", image, "--transcript", transcript, "--start", "100000", "--in-place"},
    };
    int stopped = 0;
    for (const auto& args : kinds) {
      SCOPED_TRACE(args[0] + " " + args.back());
      Restore(imageBytes, transcriptBytes);
      const FolderListing before = ListFolder(dir.Path());
      EXPECT_EQ(RunCli(args, logs).exitCode, 0);
      const FolderListing after = ListFolder(dir.Path());
      for (const Stop& stop : stops) {
        Restore(imageBytes, transcriptBytes);
        const int pid = StartCli(args);
        std::this_thread::sleep_for(std::chrono::milliseconds(stop.delayMs));
        const char* how = stop.interrupt ? stop.interrupt->name : "a kill";
        if (stop.interrupt)
          InterruptCli(pid, *stop.interrupt);
        else
          KillCli(pid);
        const int exitCode = WaitCli(pid);
        if (stop.interrupt) {
          // 128 + n: stopped at a safe point (or, in its first instant, ended by the signal
          // itself before anything was opened); 0: the run had finished.
          EXPECT_TRUE(exitCode == stop.interrupt->exitCode || exitCode == 0)
              << how << " gave exit code " << exitCode;
          stopped += exitCode == stop.interrupt->exitCode;
        }
        const FolderListing settled = Settle(args.back() == "--in-place" ? image : output);
        EXPECT_TRUE(settled == before || settled == after)
            << how << " after " << stop.delayMs << " ms left a third state";
      }
    }
    return stopped;
  }
};

// Invariants 1, 2 and 5 of the save (save_file.h).
TEST_F(SignalsTest, AKilledRunLeavesTheOldOrTheNewFiles) {
  StopEachRunAt({{nullptr, 1}, {nullptr, 8}, {nullptr, 25}, {nullptr, 70}, {nullptr, 200}});
}

// Invariant 1 of the save (save_file.h).
TEST_F(SignalsTest, AnInterruptedRunStopsAtASafePointAndLeavesTheOldFiles) {
  const std::vector<Interrupt> interrupts = Interrupts();
  if (interrupts.empty())
    GTEST_SKIP() << "this system delivers no interrupts to a run started here";
  const int delays[] = {15, 40, 5};
  std::vector<Stop> stops;
  for (std::size_t i = 0; i < interrupts.size(); ++i)
    stops.push_back({&interrupts[i], delays[i % 3]});
  EXPECT_GT(StopEachRunAt(stops), 0) << "no interrupt ever landed mid-run";
}

// Killed before its new image is synced, an in-place run leaves the image as it was and
// nothing beside it; the next run has nothing to say but its result.
// Invariants 4 and 5 of the save (save_file.h).
TEST_F(SignalsTest, AKilledInPlaceRunLeavesTheImageAndTheNextRunSeesIt) {
  const Bytes imageBytes = Pattern(0x1000, 1);
  Restore(imageBytes, Pattern(0x100, 2));
  const FolderListing before = ListFolder(dir.Path());
  PatchInPlace job;
  job.sourcePath = image;
  job.transcriptPath = transcript;
  job.at.startText = "100";
  ASSERT_TRUE(RunDyingAt(job, kSyncCallName, 1));  // the new image is written, not yet synced
  EXPECT_TRUE(ListFolder(dir.Path()) == before);
  const CliRun run = RunCli(
      {"cut", "--source", image, "--start", "0", "--end", "FFF", "--output", output, "--quiet"},
      logs);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ReadBytes(output), imageBytes);
  EXPECT_EQ(ReadBytes(image), imageBytes);
}

}  // namespace
}  // namespace zarneth::test

#pragma once

#include <string>
#include <vector>

#include "patch_job.h"

namespace zarneth::test {

// How a run in a child process is interrupted right before its `occurrence`-th system call
// named `call` through the engine's seam (any call when `call` is null).
enum class Interruption {
  Death,        // the process ends itself there, as a kill would
  StopRequest,  // a stop is requested there, as Ctrl+C or SIGINT does, and the run goes on
};

// What became of the child's run: interrupted (died, or ended with RunStopped), finished,
// or finished before it reached the chosen call.
enum class ChildRun { Interrupted, Finished, NotReached };

// Runs `job` in a child process, interrupted as asked. POSIX forks; Windows starts the
// helper program dying_run_child.
ChildRun RunInterruptedAt(const WriteOperation& job, Interruption how, const char* call,
                          int occurrence);

// True when the child died at its call; false when the run ended first.
inline bool RunDyingAt(const WriteOperation& job, const char* call, int occurrence) {
  return RunInterruptedAt(job, Interruption::Death, call, occurrence) == ChildRun::Interrupted;
}

// The child's side: runs `job` with the hook set; returns the exit code that tells the
// parent what became of it.
int RunInChild(const WriteOperation& job, Interruption how, const char* call, int occurrence);
ChildRun ChildRunOf(int exitCode);

// An operation as command-line arguments for the helper program, and back.
std::vector<std::string> JobArguments(const WriteOperation& job);
WriteOperation JobFromArguments(const std::vector<std::string>& arguments);

}  // namespace zarneth::test

#include "dying_run.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "stop_request.h"
#include "system_call_hook.h"

namespace zarneth::test {
namespace {

// The child's exit codes.
constexpr int kFinished = 0;
constexpr int kDied = 77;
constexpr int kStopped = 78;
constexpr int kNotReached = 79;

const char* dyingCall = nullptr;
int callsLeft = 0;
Interruption interruption = Interruption::Death;

int InterruptAtChosenCall(const char* call) {
  if ((dyingCall && std::strcmp(call, dyingCall) != 0) || --callsLeft != 0)
    return 0;
  if (interruption == Interruption::Death)
    std::_Exit(kDied);
  RequestStop(SIGINT);
  return 0;
}

}  // namespace

int RunInChild(const PatchJob& job, Interruption how, const char* call, int occurrence) {
  dyingCall = call;
  callsLeft = occurrence;
  interruption = how;
  SetSystemCallHook(&InterruptAtChosenCall);
  try {
    static_cast<void>(RunJob(job));  // the parent reads the folder, not the result
  } catch (const RunStopped&) {
    return kStopped;
  } catch (...) {
  }
  SetSystemCallHook(nullptr);
  return callsLeft > 0 ? kNotReached : kFinished;
}

ChildRun ChildRunOf(int exitCode) {
  switch (exitCode) {
    case kDied:
    case kStopped:
      return ChildRun::Interrupted;
    case kFinished:
      return ChildRun::Finished;
    case kNotReached:
      return ChildRun::NotReached;
    default:
      throw std::runtime_error("the interrupted run ended with " + std::to_string(exitCode));
  }
}

std::vector<std::string> JobArguments(const PatchJob& job) {
  return {job.mode == PatchMode::Cut ? "cut" : "zarneth",
          job.createNewFile ? "new" : "in-place",
          job.sourcePath,
          job.transcriptPath,
          job.destinationPath,
          job.startText,
          job.endText,
          job.backup ? "backup" : "no-backup"};
}

PatchJob JobFromArguments(const std::vector<std::string>& arguments) {
  PatchJob job;
  job.mode = arguments.at(0) == "cut" ? PatchMode::Cut : PatchMode::Zarneth;
  job.createNewFile = arguments.at(1) == "new";
  job.sourcePath = arguments.at(2);
  job.transcriptPath = arguments.at(3);
  job.destinationPath = arguments.at(4);
  job.startText = arguments.at(5);
  job.endText = arguments.at(6);
  job.backup = arguments.at(7) == "backup";
  return job;
}

}  // namespace zarneth::test

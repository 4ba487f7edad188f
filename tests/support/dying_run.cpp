#include "dying_run.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "stop_request.h"
#include "sync_record.h"
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

int RunInChild(const WriteOperation& job, Interruption how, const char* call, int occurrence) {
  dyingCall = call;
  callsLeft = occurrence;
  interruption = how;
  RecordSyncsIfAsked();
  SetSystemCallHook(&InterruptAtChosenCall);
  try {
    static_cast<void>(Run(job));  // the parent reads the folder, not the result
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

namespace {

// A replaced block's path, "-" for none: a command line carries no empty word for sure.
std::string ReplacingArgument(const BlockPlace& at) {
  return at.replacing.empty() ? "-" : at.replacing;
}
std::string ReplacingFrom(const std::string& argument) {
  return argument == "-" ? std::string() : argument;
}

}  // namespace

std::vector<std::string> JobArguments(const WriteOperation& job) {
  if (const auto* patch = std::get_if<PatchInPlace>(&job))
    return {"in-place",
            patch->sourcePath,
            patch->transcriptPath,
            patch->at.startText,
            patch->backup ? "backup" : "no-backup",
            ReplacingArgument(patch->at)};
  if (const auto* patch = std::get_if<PatchCopy>(&job))
    return {"copy",
            patch->sourcePath,
            patch->transcriptPath,
            patch->destinationPath,
            patch->at.startText,
            ReplacingArgument(patch->at)};
  const auto& cut = std::get<CutRange>(job);
  return {"cut", cut.sourcePath, cut.destinationPath, cut.startText, cut.endText};
}

WriteOperation JobFromArguments(const std::vector<std::string>& arguments) {
  const std::string& kind = arguments.at(0);
  if (kind == "in-place") {
    PatchInPlace patch;
    patch.sourcePath = arguments.at(1);
    patch.transcriptPath = arguments.at(2);
    patch.at.startText = arguments.at(3);
    patch.backup = arguments.at(4) == "backup";
    patch.at.replacing = ReplacingFrom(arguments.at(5));
    return patch;
  }
  if (kind == "copy") {
    PatchCopy patch;
    patch.sourcePath = arguments.at(1);
    patch.transcriptPath = arguments.at(2);
    patch.destinationPath = arguments.at(3);
    patch.at.startText = arguments.at(4);
    patch.at.replacing = ReplacingFrom(arguments.at(5));
    return patch;
  }
  return CutRange{.sourcePath = arguments.at(1),
                  .destinationPath = arguments.at(2),
                  .startText = arguments.at(3),
                  .endText = arguments.at(4)};
}

}  // namespace zarneth::test

#include "dying_run.h"

#include <cstdlib>
#include <cstring>

#include "system_call_hook.h"

namespace zarneth::test {
namespace {

const char* g_call = nullptr;
int g_remaining = 0;

void DieAtChosenCall(const char* call) {
  if ((!g_call || std::strcmp(call, g_call) == 0) && --g_remaining == 0)
    std::_Exit(kDiedStatus);
}

}  // namespace

int RunUntilDeath(const PatchJob& job, const char* call, int occurrence) {
  g_call = call;
  g_remaining = occurrence;
  SetSystemCallHook(&DieAtChosenCall);
  try {
    RunJob(job);
  } catch (...) {
  }
  SetSystemCallHook(nullptr);
  return kRanThrough;
}

std::vector<std::string> JobArguments(const PatchJob& job) {
  return {job.mode == PatchMode::Cut ? "cut" : "zarneth",
          job.createNewFile ? "new" : "in-place",
          job.sourcePath,
          job.transcriptPath,
          job.destinationPath,
          job.startText,
          job.endText};
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
  return job;
}

}  // namespace zarneth::test

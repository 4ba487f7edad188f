#include <stdexcept>

#include "child_process.h"
#include "dying_run.h"

namespace zarneth::test {

bool RunDyingAt(const PatchJob& job, const char* call, int occurrence) {
  std::vector<std::string> arguments = {call ? call : "-", std::to_string(occurrence)};
  for (std::string& field : JobArguments(job))
    arguments.push_back(std::move(field));
  const int status =
      WaitProcess(StartProcess(ProgramBeside("dying_run_child.exe"), arguments, nullptr, nullptr));
  if (status != kDiedStatus && status != kRanThrough)
    throw std::runtime_error("the dying run ended with " + std::to_string(status));
  return status == kDiedStatus;
}

}  // namespace zarneth::test

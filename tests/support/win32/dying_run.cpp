#include "dying_run.h"
#include "child_process.h"

namespace zarneth::test {

ChildRun RunInterruptedAt(const WriteOperation& job, Interruption how, const char* call,
                          int occurrence) {
  std::vector<std::string> arguments = {how == Interruption::Death ? "die" : "stop",
                                        call ? call : "-", std::to_string(occurrence)};
  for (std::string& field : JobArguments(job))
    arguments.push_back(std::move(field));
  return ChildRunOf(
      WaitProcess(StartProcess(ProgramBeside("dying_run_child.exe"), arguments, nullptr, nullptr)));
}

}  // namespace zarneth::test

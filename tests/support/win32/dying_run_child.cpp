// The interrupted run's child on Windows:
//   dying_run_child die|stop <call or -> <occurrence> <job...>
// Its exit code tells the parent what became of the run (see RunInChild).
#include <string>
#include <vector>

#include "dying_run.h"
#include "wide_text.h"

int main() {
  const std::vector<std::string> arguments = zarneth::Utf8CommandLine();
  if (arguments.size() < 5)
    return 2;
  const auto how = arguments[1] == "die" ? zarneth::test::Interruption::Death
                                         : zarneth::test::Interruption::StopRequest;
  const std::string call = arguments[2];
  const zarneth::WriteOperation job =
      zarneth::test::JobFromArguments({arguments.begin() + 4, arguments.end()});
  return zarneth::test::RunInChild(job, how, call == "-" ? nullptr : call.c_str(),
                                   std::stoi(arguments[3]));
}

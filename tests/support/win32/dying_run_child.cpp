// The dying run's child on Windows: dying_run_child <call or -> <occurrence> <job...>.
// Exits with kDiedStatus when it died at the chosen call, kRanThrough when the run ended.
#include <string>
#include <vector>

#include "dying_run.h"
#include "wide_text.h"

int main() {
  const std::vector<std::string> arguments = zarneth::Utf8CommandLine();
  if (arguments.size() != 10)
    return 2;
  const std::string call = arguments[1];
  const zarneth::PatchJob job =
      zarneth::test::JobFromArguments({arguments.begin() + 3, arguments.end()});
  return zarneth::test::RunUntilDeath(job, call == "-" ? nullptr : call.c_str(),
                                      std::stoi(arguments[2]));
}

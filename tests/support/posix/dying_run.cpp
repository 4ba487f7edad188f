#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "dying_run.h"

namespace zarneth::test {

bool RunDyingAt(const PatchJob& job, const char* call, int occurrence) {
  const pid_t child = ::fork();
  if (child < 0)
    throw std::runtime_error("fork failed");
  if (child == 0)
    ::_exit(RunUntilDeath(job, call, occurrence));
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
    throw std::runtime_error("the dying run did not exit");
  return WEXITSTATUS(status) == kDiedStatus;
}

}  // namespace zarneth::test

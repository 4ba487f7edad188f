#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "dying_run.h"

namespace zarneth::test {

ChildRun RunInterruptedAt(const WriteOperation& job, Interruption how, const char* call,
                          int occurrence) {
  const pid_t child = ::fork();
  if (child < 0)
    throw std::runtime_error("fork failed");
  if (child == 0)
    ::_exit(RunInChild(job, how, call, occurrence));
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
    throw std::runtime_error("the interrupted run did not exit");
  return ChildRunOf(WEXITSTATUS(status));
}

}  // namespace zarneth::test

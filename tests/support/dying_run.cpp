#include "dying_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

#include "posix_calls.h"

namespace zarneth::test {
namespace {

constexpr int kDiedStatus = 77;
const char* g_call = nullptr;
int g_remaining = 0;

void DieAtChosenCall(const char* call) {
  if ((!g_call || std::strcmp(call, g_call) == 0) && --g_remaining == 0)
    ::_exit(kDiedStatus);
}

}  // namespace

bool RunDyingAt(const PatchJob& job, const char* call, int occurrence) {
  const pid_t child = ::fork();
  if (child < 0)
    throw std::runtime_error("fork failed");
  if (child == 0) {
    g_call = call;
    g_remaining = occurrence;
    SetPosixCallHook(&DieAtChosenCall);
    try {
      RunJob(job);
    } catch (...) {
    }
    ::_exit(0);
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
    throw std::runtime_error("the dying run did not exit");
  return WEXITSTATUS(status) == kDiedStatus;
}

}  // namespace zarneth::test

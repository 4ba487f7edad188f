#include "console.h"

#include <csignal>

#include "stop_request.h"

namespace zarneth::cli {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void PrepareConsole() {}

// No SA_RESTART: a waiting system call returns so the run sees the request.
void StopOnInterrupts() {
  struct sigaction action {};
  action.sa_handler = [](int signalNumber) { RequestStop(signalNumber); };
  sigemptyset(&action.sa_mask);
  for (int signalNumber : {SIGHUP, SIGINT, SIGTERM})
    sigaction(signalNumber, &action, nullptr);
  // A reader that went away (`zarneth-cli ... | true`) must not turn a finished run into a
  // failure: the done line is dropped, the exit code stays.
  std::signal(SIGPIPE, SIG_IGN);
}

const char* const kInterruptsHelp = "128 + signal number when stopped by SIGHUP, SIGINT or SIGTERM";

const char* InterruptName(int signalNumber) {
  switch (signalNumber) {
    case SIGHUP:
      return "SIGHUP";
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    default:
      return "a signal";
  }
}

}  // namespace zarneth::cli

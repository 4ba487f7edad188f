#include "console.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "stop_request.h"
#include "words.h"

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

std::size_t HelpColumns() {
  struct winsize size {};
  if (::isatty(1) && ::ioctl(1, TIOCGWINSZ, &size) == 0 && size.ws_col >= 40)
    return size.ws_col;
  return 80;
}

bool OutputReaderGone() {
  struct stat info {};
  if (::fstat(1, &info) != 0 || !(S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)))
    return false;
  // A pipe without a reader polls as an error.
  struct pollfd output {
    1, POLLOUT, 0
  };
  return ::poll(&output, 1, 0) == 1 && (output.revents & (POLLERR | POLLHUP)) != 0;
}

std::string InterruptsHelp() {
  return Tr("128 + signal number when stopped by SIGHUP, SIGINT or SIGTERM");
}

const char* InterruptName(int signalNumber) {
  switch (signalNumber) {
    case SIGHUP:
      return "SIGHUP";
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    default:
      return Tr("a signal");
  }
}

}  // namespace zarneth::cli

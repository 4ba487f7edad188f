#include "console.h"

#include <windows.h>

#include <csignal>
#include <string>

#include "stop_request.h"
#include "wide_text.h"
#include "words.h"

namespace zarneth::cli {
namespace {

// The numbers a stop is reported with, as a POSIX shell would count them: 128 + n.
constexpr int kCtrlC = SIGINT;           // 2
constexpr int kCtrlBreak = SIGBREAK;     // 21
constexpr int kConsoleClosed = SIGTERM;  // 15

BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
      RequestStop(kCtrlC);
      return TRUE;
    case CTRL_BREAK_EVENT:
      RequestStop(kCtrlBreak);
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      // The process ends when this returns: give the run the few seconds the system allows
      // to reach its safe point, where it stops with every file as it was.
      RequestStop(kConsoleClosed);
      ::Sleep(INFINITE);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  std::vector<std::string> arguments = Utf8CommandLine();
  if (arguments.empty())
    return std::vector<std::string>(argv, argv + argc);
  return arguments;
}

void PrepareConsole() {
  ::SetConsoleOutputCP(CP_UTF8);
}

void StopOnInterrupts() {
  ::SetConsoleCtrlHandler(&OnConsoleEvent, TRUE);
}

std::string InterruptsHelp() {
  const auto code = [](int signalNumber) { return std::to_string(128 + signalNumber); };
  // TRANSLATORS: %1$s, %2$s and %3$s are exit codes ("130").
  return TrFill("%s, %s or %s when stopped by Ctrl+C, Ctrl+Break or closing the console",
                {code(kCtrlC), code(kCtrlBreak), code(kConsoleClosed)});
}

std::size_t HelpColumns() {
  CONSOLE_SCREEN_BUFFER_INFO console{};
  if (::GetConsoleScreenBufferInfo(::GetStdHandle(STD_OUTPUT_HANDLE), &console)) {
    const int width = console.srWindow.Right - console.srWindow.Left + 1;
    if (width >= 40)
      return static_cast<std::size_t>(width);
  }
  return 80;
}

bool OutputReaderGone() {
  // Asked after a write failed: a pipe fails a write only once its reader has closed it (the
  // system says ERROR_NO_DATA or ERROR_BROKEN_PIPE, which the C runtime does not keep apart).
  const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  return output != INVALID_HANDLE_VALUE && ::GetFileType(output) == FILE_TYPE_PIPE;
}

const char* InterruptName(int signalNumber) {
  switch (signalNumber) {
    case kCtrlC:
      return "Ctrl+C";
    case kCtrlBreak:
      return "Ctrl+Break";
    case kConsoleClosed:
      return Tr("the console closing");
    default:
      return Tr("an interrupt");
  }
}

}  // namespace zarneth::cli

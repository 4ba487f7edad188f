#include <windows.h>

#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

#include "child_process.h"
#include "cli_runner.h"
#include "file_paths.h"
#include "wide_text.h"

namespace zarneth::test {
namespace {

// Only a hung run is ended: a machine under load may take many times the usual second.
constexpr DWORD kTimeoutMs = 300000;

// Started processes by id, for WaitCli.
std::map<int, HANDLE>& Started() {
  static std::map<int, HANDLE> started;
  return started;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(PathFromUtf8(path));
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

HANDLE Inheritable(const std::string& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const HANDLE file = ::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                    &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    throw std::runtime_error("cannot create " + path);
  return file;
}

std::string Cli() {
  return ProgramBeside("zarneth-cli.exe");
}

}  // namespace

int WaitCli(int pid) {
  const auto started = Started().find(pid);
  if (started == Started().end())
    return -1;
  const HANDLE process = started->second;
  Started().erase(started);
  return WaitProcess(process, kTimeoutMs);
}

CliRun RunCli(const std::vector<std::string>& args, const TempDir& dir) {
  const std::string outPath = dir / "stdout.txt";
  const std::string errPath = dir / "stderr.txt";
  const HANDLE out = Inheritable(outPath);
  const HANDLE err = Inheritable(errPath);
  const HANDLE process = StartProcess(Cli(), args, out, err);
  ::CloseHandle(out);
  ::CloseHandle(err);
  const int exitCode = WaitProcess(process, kTimeoutMs);
  return {exitCode, Slurp(outPath), Slurp(errPath)};
}

std::optional<CliRun> RunCliIntoFullDevice(const std::vector<std::string>&, const TempDir&) {
  return std::nullopt;  // NUL takes every byte
}

int RunCliIntoClosedPipe(const std::vector<std::string>& args) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE reader = nullptr;
  HANDLE writer = nullptr;
  if (!::CreatePipe(&reader, &writer, &inherit, 0))
    throw std::runtime_error("cannot make a pipe");
  ::CloseHandle(reader);
  const HANDLE process = StartProcess(Cli(), args, writer, nullptr);
  ::CloseHandle(writer);
  return WaitProcess(process, kTimeoutMs);
}

int StartCli(const std::vector<std::string>& args) {
  // A process group of its own, so that a Ctrl+Break reaches this run only.
  const HANDLE process = StartProcess(Cli(), args, nullptr, nullptr, CREATE_NEW_PROCESS_GROUP);
  const int pid = static_cast<int>(::GetProcessId(process));
  Started()[pid] = process;
  return pid;
}

bool CommandLineCarries(const std::string& text) {
  return text.find('\0') == std::string::npos &&
         ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                               static_cast<int>(text.size()), nullptr, 0) > 0;
}

void KillCli(int pid) {
  const auto started = Started().find(pid);
  if (started != Started().end())
    ::TerminateProcess(started->second, 137);
}

// Wine delivers no console control events to a run that shares no console with the tests
// (GenerateConsoleCtrlEvent fails there); on Windows, Ctrl+Break reaches the run's process
// group.
std::vector<Interrupt> Interrupts() {
  const bool sharesAConsole = ::GetConsoleWindow() != nullptr;
  if (!sharesAConsole)
    return {};
  return {{"Ctrl+Break", 128 + 21}};
}

void InterruptCli(int pid, const Interrupt&) {
  ::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, static_cast<DWORD>(pid));
}

}  // namespace zarneth::test

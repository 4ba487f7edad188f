#include "child_process.h"

#include <stdexcept>
#include <string>

#include "wide_text.h"

namespace zarneth::test {
namespace {

// Quotes one argument so that CommandLineToArgvW gives it back unchanged: backslashes
// count only before a quote.
std::wstring Quoted(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
    return argument;
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

HANDLE NullDevice(DWORD access) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return ::CreateFileW(L"NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                       0, nullptr);
}

}  // namespace

std::string ProgramBeside(const std::string& name) {
  std::wstring self(MAX_PATH, L'\0');
  self.resize(::GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
  return Utf8FromWide(self.substr(0, self.find_last_of(L"\\/") + 1)) + name;
}

HANDLE StartProcess(const std::string& program, const std::vector<std::string>& arguments,
                    HANDLE out, HANDLE err, DWORD creationFlags) {
  std::wstring commandLine = Quoted(WideFromUtf8(program));
  for (const std::string& argument : arguments)
    commandLine += L" " + Quoted(WideFromUtf8(argument));
  const HANDLE in = NullDevice(GENERIC_READ);
  const HANDLE discard = NullDevice(GENERIC_WRITE);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out ? out : discard;
  startup.hStdError = err ? err : discard;
  PROCESS_INFORMATION started{};
  // Wine now and then refuses a start while other programs start beside it: try again.
  BOOL ok = FALSE;
  DWORD error = 0;
  for (int attempt = 0; attempt < 5 && !ok; ++attempt) {
    if (attempt > 0)
      ::Sleep(200);
    ok = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, creationFlags,
                          nullptr, nullptr, &startup, &started);
    error = ok ? 0 : ::GetLastError();
  }
  ::CloseHandle(in);
  ::CloseHandle(discard);
  if (!ok)
    throw std::runtime_error("cannot start " + program + " (error " + std::to_string(error) + ")");
  ::CloseHandle(started.hThread);
  return started.hProcess;
}

int WaitProcess(HANDLE process, DWORD milliseconds) {
  if (::WaitForSingleObject(process, milliseconds) != WAIT_OBJECT_0) {
    ::TerminateProcess(process, 124);  // as timeout(1) reports it
    ::WaitForSingleObject(process, INFINITE);
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process, &code);
  ::CloseHandle(process);
  return static_cast<int>(code);
}

}  // namespace zarneth::test

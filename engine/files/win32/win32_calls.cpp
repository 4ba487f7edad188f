#include "win32_calls.h"

#include <string>
#include <utility>

namespace zarneth {
namespace {

SystemCallHook activeHook = nullptr;

// Each call asks the hook first; a refusal is the call's own failure, with the error set.
template <typename Call>
auto Through(const char* name, decltype(std::declval<Call>()()) failure, Call call) {
  if (const int error = activeHook ? activeHook(name) : 0) {
    ::SetLastError(static_cast<DWORD>(error));
    return failure;
  }
  return call();
}

const Win32Calls& Calls() {
  return ActiveWin32Calls();
}

}  // namespace

const char* const kSyncCallName = "FlushFileBuffers";

Win32Calls& ActiveWin32Calls() {
  static Win32Calls calls{
      ::CreateFileW, ::CloseHandle,      ::ReadFile,
      ::WriteFile,   ::FlushFileBuffers, ::SetFileInformationByHandle,
      ::MoveFileExW, ::DeleteFileW,      ::CreateHardLinkW,
  };
  return calls;
}

void SetSystemCallHook(SystemCallHook hook) {
  activeHook = hook;
}

namespace sys {

HANDLE Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  return Through("CreateFileW", INVALID_HANDLE_VALUE, [&] {
    return Calls().createFile(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
  });
}
BOOL Close(HANDLE handle) {
  // A close the hook refuses still closes, so that no handle is left behind.
  if (const int error = activeHook ? activeHook("CloseHandle") : 0) {
    Calls().closeHandle(handle);
    ::SetLastError(static_cast<DWORD>(error));
    return FALSE;
  }
  return Calls().closeHandle(handle);
}
BOOL Read(HANDLE handle, void* buffer, DWORD count, DWORD* done, OVERLAPPED* at) {
  return Through("ReadFile", FALSE,
                 [&] { return Calls().readFile(handle, buffer, count, done, at); });
}
BOOL Write(HANDLE handle, const void* buffer, DWORD count, DWORD* done, OVERLAPPED* at) {
  return Through("WriteFile", FALSE,
                 [&] { return Calls().writeFile(handle, buffer, count, done, at); });
}
BOOL Flush(HANDLE handle) {
  return Through("FlushFileBuffers", FALSE, [&] { return Calls().flushFileBuffers(handle); });
}
BOOL SetBasicInfo(HANDLE handle, FILE_BASIC_INFO& info) {
  return Through("SetFileInformationByHandle", FALSE, [&] {
    return Calls().setFileInformationByHandle(handle, FileBasicInfo, &info, sizeof info);
  });
}
BOOL SetDeleteOnClose(HANDLE handle, bool deleteOnClose) {
  FILE_DISPOSITION_INFO info{};
  info.DeleteFile = deleteOnClose ? TRUE : FALSE;
  return Through("SetFileInformationByHandle", FALSE, [&] {
    return Calls().setFileInformationByHandle(handle, FileDispositionInfo, &info, sizeof info);
  });
}
BOOL Move(const std::wstring& from, const std::wstring& to, DWORD flags) {
  return Through("MoveFileExW", FALSE,
                 [&] { return Calls().moveFileEx(from.c_str(), to.c_str(), flags); });
}
BOOL Remove(const std::wstring& path) {
  return Through("DeleteFileW", FALSE, [&] { return Calls().deleteFile(path.c_str()); });
}

BOOL Link(const std::wstring& from, const std::wstring& to) {
  return Through("CreateHardLinkW", FALSE,
                 [&] { return Calls().createHardLink(to.c_str(), from.c_str(), nullptr); });
}

}  // namespace sys
}  // namespace zarneth

#include "win32_calls.h"

#include <string>

namespace zarneth {
namespace {

SystemCallHook g_hook = nullptr;

const Win32Calls& Before(const char* call) {
  if (g_hook)
    g_hook(call);
  return ActiveWin32Calls();
}

}  // namespace

const char* const kSyncCallName = "FlushFileBuffers";

Win32Calls& ActiveWin32Calls() {
  static Win32Calls calls{
      ::CreateFileW, ::CloseHandle,      ::ReadFile,
      ::WriteFile,   ::FlushFileBuffers, ::SetFileInformationByHandle,
      ::MoveFileExW, ::DeleteFileW,
  };
  return calls;
}

std::optional<FileIdentity> IdentityOfHandle(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(handle, &info))
    return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

void SetSystemCallHook(SystemCallHook hook) {
  g_hook = hook;
}

namespace sys {

HANDLE Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  return Before("CreateFileW")
      .createFile(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
}
BOOL Close(HANDLE handle) {
  return Before("CloseHandle").closeHandle(handle);
}
BOOL Read(HANDLE handle, void* buffer, DWORD count, DWORD* done, OVERLAPPED* at) {
  return Before("ReadFile").readFile(handle, buffer, count, done, at);
}
BOOL Write(HANDLE handle, const void* buffer, DWORD count, DWORD* done, OVERLAPPED* at) {
  return Before("WriteFile").writeFile(handle, buffer, count, done, at);
}
BOOL Flush(HANDLE handle) {
  return Before("FlushFileBuffers").flushFileBuffers(handle);
}
BOOL SetBasicInfo(HANDLE handle, FILE_BASIC_INFO& info) {
  return Before("SetFileInformationByHandle")
      .setFileInformationByHandle(handle, FileBasicInfo, &info, sizeof info);
}
BOOL Move(const std::wstring& from, const std::wstring& to, DWORD flags) {
  return Before("MoveFileExW").moveFileEx(from.c_str(), to.c_str(), flags);
}
BOOL Remove(const std::wstring& path) {
  return Before("DeleteFileW").deleteFile(path.c_str());
}

}  // namespace sys
}  // namespace zarneth

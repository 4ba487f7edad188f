#include "win32_calls.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

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

// A native call's status as Win32's last error: TRUE when it succeeded.
BOOL Succeeded(NTSTATUS status) {
  if (NT_SUCCESS(status))
    return TRUE;
  ::SetLastError(::RtlNtStatusToDosError(status));
  return FALSE;
}

const Win32Calls& Calls() {
  return ActiveWin32Calls();
}

// A name as the native calls take it. Its buffer is `name`'s, which must outlive it.
UNICODE_STRING Counted(const std::wstring& name) {
  UNICODE_STRING counted{};
  counted.Buffer = const_cast<wchar_t*>(name.c_str());
  counted.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  counted.MaximumLength = counted.Length;
  return counted;
}

// The FILE_RENAME_INFORMATION or FILE_LINK_INFORMATION (the same layout) that gives `name`
// in `folder`.
template <typename Information>
std::vector<unsigned char> NameInFolder(HANDLE folder, const std::wstring& name, bool replace) {
  const std::size_t bytes = name.size() * sizeof(wchar_t);
  std::vector<unsigned char> buffer(sizeof(Information) + bytes);
  auto* information = reinterpret_cast<Information*>(buffer.data());
  information->ReplaceIfExists = replace ? TRUE : FALSE;
  information->RootDirectory = folder;
  information->FileNameLength = static_cast<ULONG>(bytes);
  std::copy_n(reinterpret_cast<const unsigned char*>(name.data()), bytes,
              reinterpret_cast<unsigned char*>(information->FileName));
  return buffer;
}

BOOL SetInformation(HANDLE file, std::vector<unsigned char>& information,
                    FILE_INFORMATION_CLASS kind) {
  IO_STATUS_BLOCK io{};
  return Succeeded(Calls().ntSetInformationFile(file, &io, information.data(),
                                                static_cast<ULONG>(information.size()), kind));
}

}  // namespace

const char* const kSyncCallName = "FlushFileBuffers";

Win32Calls& ActiveWin32Calls() {
  static Win32Calls calls{
      ::CreateFileW,
      ::NtCreateFile,
      ::NtSetInformationFile,
      ::CloseHandle,
      ::ReadFile,
      ::WriteFile,
      ::FlushFileBuffers,
      ::SetFileInformationByHandle,
      ::GetFileInformationByHandleEx,
      ::GetSecurityInfo,
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

HANDLE OpenIn(HANDLE folder, const std::wstring& name, const OpenInFolder& how) {
  return Through("NtCreateFile", INVALID_HANDLE_VALUE, [&] {
    UNICODE_STRING counted = Counted(name);
    OBJECT_ATTRIBUTES object{};
    // Case-insensitive, as every Win32 open of a name is.
    InitializeObjectAttributes(&object, &counted, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE handle = INVALID_HANDLE_VALUE;
    // Synchronous, as CreateFileW's handles are; backup intent lets a folder be opened.
    const NTSTATUS status = Calls().ntCreateFile(
        &handle, how.access | SYNCHRONIZE, &object, &io, nullptr, how.attributes, how.share,
        how.disposition, how.options | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT,
        nullptr, 0);
    return Succeeded(status) ? handle : INVALID_HANDLE_VALUE;
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

BOOL Rename(HANDLE file, HANDLE folder, const std::wstring& name, bool replace) {
  return Through("NtSetInformationFile(rename)", FALSE, [&] {
    auto information = NameInFolder<FILE_RENAME_INFORMATION>(folder, name, replace);
    return SetInformation(file, information, FileRenameInformation);
  });
}

BOOL Link(HANDLE file, HANDLE folder, const std::wstring& name) {
  return Through("NtSetInformationFile(link)", FALSE, [&] {
    auto information = NameInFolder<FILE_LINK_INFORMATION>(folder, name, false);
    return SetInformation(file, information, FileLinkInformation);
  });
}

BOOL AttributeTag(HANDLE handle, FILE_ATTRIBUTE_TAG_INFO& info) {
  return Through("GetFileInformationByHandleEx", FALSE, [&] {
    return Calls().getFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof info);
  });
}

DWORD Owner(HANDLE handle, PSID& owner, PSECURITY_DESCRIPTOR& descriptor) {
  if (const int error = activeHook ? activeHook("GetSecurityInfo") : 0)
    return static_cast<DWORD>(error);
  return Calls().getSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                                 nullptr, nullptr, nullptr, &descriptor);
}

}  // namespace sys
}  // namespace zarneth

#pragma once

#include <windows.h>
// After windows.h, which they need.
#include <aclapi.h>
#include <winternl.h>

#include <string>

#include "system_call_hook.h"

namespace zarneth {

// Every Win32 and native call through which the engine opens, changes, reads, syncs,
// renames or removes a file, or judges a link on the way to one. Tests replace single calls
// to make a read come up short, a write fail with a full disk, share modes never conflict or
// a folder look like a junction of another owner; the SystemCallHook runs before each.
struct Win32Calls {
  HANDLE(WINAPI* createFile)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
  NTSTATUS(NTAPI* ntCreateFile)
  (PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER, ULONG, ULONG, ULONG,
   ULONG, PVOID, ULONG);
  NTSTATUS(NTAPI* ntSetInformationFile)
  (HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, FILE_INFORMATION_CLASS);
  BOOL(WINAPI* closeHandle)(HANDLE);
  BOOL(WINAPI* readFile)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
  BOOL(WINAPI* writeFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
  BOOL(WINAPI* flushFileBuffers)(HANDLE);
  BOOL(WINAPI* setFileInformationByHandle)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
  BOOL(WINAPI* getFileInformationByHandleEx)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
  DWORD(WINAPI* getSecurityInfo)
  (HANDLE, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID*, PSID*, PACL*, PACL*, PSECURITY_DESCRIPTOR*);
};

// The calls in force; the real ones unless a test swapped them.
Win32Calls& ActiveWin32Calls();

// How a name is opened in a held folder.
struct OpenInFolder {
  ACCESS_MASK access;
  ULONG share;
  ULONG disposition;  // FILE_OPEN, FILE_CREATE
  ULONG options;      // FILE_DIRECTORY_FILE, FILE_NON_DIRECTORY_FILE, FILE_OPEN_REPARSE_POINT
  ULONG attributes = FILE_ATTRIBUTE_NORMAL;  // of a file created
};

// The engine's way to the calls: the hook first, then the call in force. A native call's
// status comes back as the Win32 error it stands for (GetLastError).
namespace sys {
// Opens `path` by its name, for the start of a walk only.
HANDLE Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags);
// Opens or creates `name` in the folder `folder` holds, relative to that handle, never by a
// path; "" opens the folder itself again.
HANDLE OpenIn(HANDLE folder, const std::wstring& name, const OpenInFolder& how);
BOOL Close(HANDLE handle);
BOOL Read(HANDLE handle, void* buffer, DWORD count, DWORD* done, OVERLAPPED* at);
BOOL Write(HANDLE handle, const void* buffer, DWORD count, DWORD* done, OVERLAPPED* at);
BOOL Flush(HANDLE handle);
BOOL SetBasicInfo(HANDLE handle, FILE_BASIC_INFO& info);
// Marks an open file (opened with DELETE access) for removal when its last handle closes,
// or lifts the mark.
BOOL SetDeleteOnClose(HANDLE handle, bool deleteOnClose);
// Gives the file open as `file` (with DELETE access) the name `name` in the folder `folder`
// holds, replacing a file of that name only where `replace` says so.
BOOL Rename(HANDLE file, HANDLE folder, const std::wstring& name, bool replace);
// Gives the file open as `file` the further name `name` in the folder `folder` holds (a hard
// link), only while nothing has that name.
BOOL Link(HANDLE file, HANDLE folder, const std::wstring& name);
// The attributes of an open file or folder and, for a reparse point, its tag.
BOOL AttributeTag(HANDLE handle, FILE_ATTRIBUTE_TAG_INFO& info);
// The owner of an open file or folder: a SID inside `descriptor`, which the caller frees
// with LocalFree. Returns a Win32 error.
DWORD Owner(HANDLE handle, PSID& owner, PSECURITY_DESCRIPTOR& descriptor);
}  // namespace sys

}  // namespace zarneth

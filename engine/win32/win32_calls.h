#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "c_file.h"
#include "system_call_hook.h"

namespace zarneth {

// Every Win32 call through which the engine opens, changes, reads, syncs, renames or
// removes a file. Tests replace single calls to make a read come up short, a write fail
// with a full disk or share modes never conflict; the SystemCallHook runs before each.
struct Win32Calls {
  HANDLE(WINAPI* createFile)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
  BOOL(WINAPI* closeHandle)(HANDLE);
  BOOL(WINAPI* readFile)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
  BOOL(WINAPI* writeFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
  BOOL(WINAPI* flushFileBuffers)(HANDLE);
  BOOL(WINAPI* setFileInformationByHandle)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
  BOOL(WINAPI* moveFileEx)(LPCWSTR, LPCWSTR, DWORD);
  BOOL(WINAPI* deleteFile)(LPCWSTR);
  BOOL(WINAPI* createHardLink)(LPCWSTR, LPCWSTR, LPSECURITY_ATTRIBUTES);
};

// The calls in force; the real ones unless a test swapped them.
Win32Calls& ActiveWin32Calls();

// Which file an open handle is: its volume's serial number and its file index. None when the
// system cannot say.
std::optional<FileIdentity> IdentityOfHandle(HANDLE handle);

// Whether a path's last name is one of the system's device names (CON, PRN, AUX, NUL,
// COM1 to COM9, LPT1 to LPT9), with or without an extension, which lead to a device in every
// folder.
bool IsDeviceName(const std::string& path);

// The system's record of an open file; throws CFileException for it.
BY_HANDLE_FILE_INFORMATION Information(const CFile& file);
// The attributes that a file written in `file`'s place takes over: hidden, system, archive,
// not content-indexed (or "normal" when it has none of them).
DWORD KeptAttributes(const CFile& file);

// The engine's way to the calls: the hook first, then the call in force.
namespace sys {
HANDLE Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags);
BOOL Close(HANDLE handle);
BOOL Read(HANDLE handle, void* buffer, DWORD count, DWORD* done, OVERLAPPED* at);
BOOL Write(HANDLE handle, const void* buffer, DWORD count, DWORD* done, OVERLAPPED* at);
BOOL Flush(HANDLE handle);
BOOL SetBasicInfo(HANDLE handle, FILE_BASIC_INFO& info);
// Marks an open file (opened with DELETE access) for removal when its last handle closes,
// or lifts the mark.
BOOL SetDeleteOnClose(HANDLE handle, bool deleteOnClose);
BOOL Move(const std::wstring& from, const std::wstring& to, DWORD flags);
BOOL Remove(const std::wstring& path);
// A further name `to` for the file `from`.
BOOL Link(const std::wstring& from, const std::wstring& to);
}  // namespace sys

}  // namespace zarneth

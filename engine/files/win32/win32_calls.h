#pragma once

#include <windows.h>

#include <string>

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

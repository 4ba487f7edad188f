#include "fault_injection.h"

#include <algorithm>
#include <optional>

#include "c_file.h"
#include "file_system.h"
#include "win32_calls.h"

namespace zarneth::test {
namespace {

std::optional<Win32Calls> g_saved;
std::uint64_t g_writeBudget = 0;
int g_syncsLeft = 0;
std::optional<FileIdentity> g_short;
std::uint64_t g_shortLength = 0;

std::uint64_t OffsetOf(const OVERLAPPED* at) {
  return at ? (std::uint64_t{at->OffsetHigh} << 32) | at->Offset : 0;
}

}  // namespace

ScopedFaults::ScopedFaults() {
  g_saved = ActiveWin32Calls();
}

ScopedFaults::~ScopedFaults() {
  ActiveWin32Calls() = *g_saved;
}

void ScopedFaults::FailReads() {
  ActiveWin32Calls().readFile = [](HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED) -> BOOL {
    ::SetLastError(ERROR_READ_FAULT);
    return FALSE;
  };
}

void ScopedFaults::DiskFullAfter(std::uint64_t bytes) {
  g_writeBudget = bytes;
  ActiveWin32Calls().writeFile = [](HANDLE handle, LPCVOID buffer, DWORD count, LPDWORD done,
                                    LPOVERLAPPED at) -> BOOL {
    if (g_writeBudget == 0) {
      ::SetLastError(ERROR_DISK_FULL);
      return FALSE;
    }
    const auto granted = static_cast<DWORD>(std::min<std::uint64_t>(count, g_writeBudget));
    g_writeBudget -= granted;
    return g_saved->writeFile(handle, buffer, granted, done, at);
  };
}

void ScopedFaults::FailSync(int nth) {
  g_syncsLeft = nth;
  ActiveWin32Calls().flushFileBuffers = [](HANDLE handle) -> BOOL {
    if (--g_syncsLeft != 0)
      return g_saved->flushFileBuffers(handle);
    ::SetLastError(ERROR_IO_DEVICE);
    return FALSE;
  };
}

void ScopedFaults::NoLocks() {
  ActiveWin32Calls().createFile = [](LPCWSTR path, DWORD access, DWORD,
                                     LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                     HANDLE model) {
    return g_saved->createFile(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               security, disposition, flags, model);
  };
}

void ScopedFaults::ShortReads(const std::string& path, std::uint64_t bytes) {
  g_short = IdentityOf(path);
  g_shortLength = bytes;
  ActiveWin32Calls().readFile = [](HANDLE handle, LPVOID buffer, DWORD count, LPDWORD done,
                                   LPOVERLAPPED at) -> BOOL {
    const std::uint64_t offset = OffsetOf(at);
    if (IdentityOfHandle(handle) == g_short) {
      if (offset >= g_shortLength) {
        *done = 0;
        return TRUE;
      }
      count = static_cast<DWORD>(std::min<std::uint64_t>(count, g_shortLength - offset));
    }
    return g_saved->readFile(handle, buffer, count, done, at);
  };
}

void ScopedFaults::NoAnonymousFiles() {}

int DeathsLeavingATemporary(bool replaces) {
  return replaces ? 3 : 2;
}

const int kIoError = ERROR_IO_DEVICE;
const int kDiskFullError = ERROR_DISK_FULL;

std::string DiskFullText() {
  return SystemErrorText(ERROR_DISK_FULL);
}

}  // namespace zarneth::test

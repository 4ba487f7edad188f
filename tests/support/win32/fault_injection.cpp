#include "fault_injection.h"

#include <algorithm>
#include <optional>

#include "c_file.h"
#include "file_information.h"
#include "file_system.h"
#include "win32_calls.h"

namespace zarneth::test {
namespace {

std::optional<Win32Calls> savedCalls;
std::uint64_t writeBudget = 0;
int syncsLeft = 0;
std::optional<FileIdentity> shortFile;
std::uint64_t shortLength = 0;

std::uint64_t OffsetOf(const OVERLAPPED* at) {
  return at ? (std::uint64_t{at->OffsetHigh} << 32) | at->Offset : 0;
}

}  // namespace

ScopedFaults::ScopedFaults() {
  savedCalls = ActiveWin32Calls();
}

ScopedFaults::~ScopedFaults() {
  ActiveWin32Calls() = *savedCalls;
}

void ScopedFaults::FailReads() {
  ActiveWin32Calls().readFile = [](HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED) -> BOOL {
    ::SetLastError(ERROR_READ_FAULT);
    return FALSE;
  };
}

void ScopedFaults::DiskFullAfter(std::uint64_t bytes) {
  writeBudget = bytes;
  ActiveWin32Calls().writeFile = [](HANDLE handle, LPCVOID buffer, DWORD count, LPDWORD done,
                                    LPOVERLAPPED at) -> BOOL {
    if (writeBudget == 0) {
      ::SetLastError(ERROR_DISK_FULL);
      return FALSE;
    }
    const auto granted = static_cast<DWORD>(std::min<std::uint64_t>(count, writeBudget));
    writeBudget -= granted;
    return savedCalls->writeFile(handle, buffer, granted, done, at);
  };
}

void ScopedFaults::FailSync(int nth) {
  syncsLeft = nth;
  ActiveWin32Calls().flushFileBuffers = [](HANDLE handle) -> BOOL {
    if (--syncsLeft != 0)
      return savedCalls->flushFileBuffers(handle);
    ::SetLastError(ERROR_IO_DEVICE);
    return FALSE;
  };
}

void ScopedFaults::NoLocks() {
  ActiveWin32Calls().ntCreateFile =
      [](PHANDLE handle, ACCESS_MASK access, POBJECT_ATTRIBUTES object, PIO_STATUS_BLOCK io,
         PLARGE_INTEGER size, ULONG attributes, ULONG, ULONG disposition, ULONG options,
         PVOID extended, ULONG extendedLength) {
        return savedCalls->ntCreateFile(handle, access, object, io, size, attributes,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        disposition, options, extended, extendedLength);
      };
}

void ScopedFaults::ShortReads(const std::string& path, std::uint64_t bytes) {
  shortFile = IdentityOfPath(path);
  shortLength = bytes;
  ActiveWin32Calls().readFile = [](HANDLE handle, LPVOID buffer, DWORD count, LPDWORD done,
                                   LPOVERLAPPED at) -> BOOL {
    const std::uint64_t offset = OffsetOf(at);
    if (IdentityOfHandle(handle) == shortFile) {
      if (offset >= shortLength) {
        *done = 0;
        return TRUE;
      }
      count = static_cast<DWORD>(std::min<std::uint64_t>(count, shortLength - offset));
    }
    return savedCalls->readFile(handle, buffer, count, done, at);
  };
}

void ScopedFaults::NoAnonymousFiles() {}

bool ScopedFaults::SystemHasAnonymousFiles() {
  return false;
}

int DeathsLeavingATemporary(bool replaces) {
  return replaces ? 3 : 2;
}

const int kIoError = ERROR_IO_DEVICE;
const int kDiskFullError = ERROR_DISK_FULL;
const int kInterruptedError = 0;

std::string DiskFullText() {
  return SystemErrorText(ERROR_DISK_FULL);
}

}  // namespace zarneth::test

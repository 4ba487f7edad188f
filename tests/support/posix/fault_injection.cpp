#include "fault_injection.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "c_file.h"
#include "posix_calls.h"

namespace zarneth::test {
namespace {

std::optional<PosixCalls> savedCalls;
std::uint64_t writeBudget = 0;
int syncsLeft = 0;
ino_t shortInode = 0;
off_t shortLength = 0;

// Takes up to `count` bytes of the write budget; -1 with ENOSPC once it is spent.
ssize_t Budget(std::size_t count) {
  if (writeBudget == 0)
    return errno = ENOSPC, -1;
  const auto granted = std::min<std::uint64_t>(count, writeBudget);
  writeBudget -= granted;
  return static_cast<ssize_t>(granted);
}

}  // namespace

ScopedFaults::ScopedFaults() {
  savedCalls = ActivePosixCalls();
}

ScopedFaults::~ScopedFaults() {
  ActivePosixCalls() = *savedCalls;
}

void ScopedFaults::FailReads() {
  ActivePosixCalls().pread = [](int, void*, std::size_t, off_t) -> ssize_t {
    return errno = EIO, -1;
  };
}

void ScopedFaults::DiskFullAfter(std::uint64_t bytes) {
  writeBudget = bytes;
  ActivePosixCalls().pwrite = [](int fd, const void* buffer, std::size_t count,
                                 off_t offset) -> ssize_t {
    const ssize_t granted = Budget(count);
    return granted < 0 ? granted : savedCalls->pwrite(fd, buffer, granted, offset);
  };
  ActivePosixCalls().copyFileRange = [](int from, off_t* fromAt, int to, off_t* toAt,
                                        std::size_t count, unsigned flags) -> ssize_t {
    const ssize_t granted = Budget(count);
    return granted < 0 ? granted
                       : savedCalls->copyFileRange(from, fromAt, to, toAt, granted, flags);
  };
}

void ScopedFaults::FailSync(int nth) {
  syncsLeft = nth;
  ActivePosixCalls().fsync = [](int fd) {
    return --syncsLeft == 0 ? (errno = EIO, -1) : ::fsync(fd);
  };
}

void ScopedFaults::NoLocks() {
  ActivePosixCalls().flock = [](int, int) { return 0; };
}

void ScopedFaults::ShortReads(const std::string& path, std::uint64_t bytes) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  shortInode = info.st_ino;
  shortLength = static_cast<off_t>(bytes);
  ActivePosixCalls().copyFileRange = [](int, off_t*, int, off_t*, std::size_t,
                                        unsigned) -> ssize_t { return errno = EXDEV, -1; };
  ActivePosixCalls().pread = [](int fd, void* buffer, std::size_t count, off_t offset) -> ssize_t {
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_ino == shortInode) {
      if (offset >= shortLength)
        return 0;
      count = std::min<std::size_t>(count, static_cast<std::size_t>(shortLength - offset));
    }
    return savedCalls->pread(fd, buffer, count, offset);
  };
}

void ScopedFaults::NoAnonymousFiles() {
  ActivePosixCalls().openat = [](int folder, const char* name, int flags, mode_t mode) {
    if ((flags & O_TMPFILE) == O_TMPFILE)
      return errno = EOPNOTSUPP, -1;
    return savedCalls->openat(folder, name, flags, mode);
  };
}

bool ScopedFaults::SystemHasAnonymousFiles() {
  return true;
}

int DeathsLeavingATemporary(bool replaces) {
  return replaces ? 1 : 0;
}

const int kIoError = EIO;
const int kDiskFullError = ENOSPC;
const int kInterruptedError = EINTR;

std::string DiskFullText() {
  return SystemErrorText(ENOSPC);
}

}  // namespace zarneth::test

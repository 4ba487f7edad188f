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

std::optional<PosixCalls> g_saved;
std::uint64_t g_writeBudget = 0;
int g_syncsLeft = 0;
ino_t g_shortInode = 0;
off_t g_shortLength = 0;

// Takes up to `count` bytes of the write budget; -1 with ENOSPC once it is spent.
ssize_t Budget(std::size_t count) {
  if (g_writeBudget == 0)
    return errno = ENOSPC, -1;
  const auto granted = std::min<std::uint64_t>(count, g_writeBudget);
  g_writeBudget -= granted;
  return static_cast<ssize_t>(granted);
}

}  // namespace

ScopedFaults::ScopedFaults() {
  g_saved = ActivePosixCalls();
}

ScopedFaults::~ScopedFaults() {
  ActivePosixCalls() = *g_saved;
}

void ScopedFaults::FailReads() {
  ActivePosixCalls().pread = [](int, void*, std::size_t, off_t) -> ssize_t {
    return errno = EIO, -1;
  };
}

void ScopedFaults::DiskFullAfter(std::uint64_t bytes) {
  g_writeBudget = bytes;
  ActivePosixCalls().pwrite = [](int fd, const void* buffer, std::size_t count,
                                 off_t offset) -> ssize_t {
    const ssize_t granted = Budget(count);
    return granted < 0 ? granted : g_saved->pwrite(fd, buffer, granted, offset);
  };
  ActivePosixCalls().copyFileRange = [](int from, off_t* fromAt, int to, off_t* toAt,
                                        std::size_t count, unsigned flags) -> ssize_t {
    const ssize_t granted = Budget(count);
    return granted < 0 ? granted : g_saved->copyFileRange(from, fromAt, to, toAt, granted, flags);
  };
}

void ScopedFaults::FailSync(int nth) {
  g_syncsLeft = nth;
  ActivePosixCalls().fsync = [](int fd) {
    return --g_syncsLeft == 0 ? (errno = EIO, -1) : ::fsync(fd);
  };
}

void ScopedFaults::NoLocks() {
  ActivePosixCalls().flock = [](int, int) { return 0; };
}

void ScopedFaults::ShortReads(const std::string& path, std::uint64_t bytes) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  g_shortInode = info.st_ino;
  g_shortLength = static_cast<off_t>(bytes);
  ActivePosixCalls().copyFileRange = [](int, off_t*, int, off_t*, std::size_t,
                                        unsigned) -> ssize_t { return errno = EXDEV, -1; };
  ActivePosixCalls().pread = [](int fd, void* buffer, std::size_t count, off_t offset) -> ssize_t {
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_ino == g_shortInode) {
      if (offset >= g_shortLength)
        return 0;
      count = std::min<std::size_t>(count, static_cast<std::size_t>(g_shortLength - offset));
    }
    return g_saved->pread(fd, buffer, count, offset);
  };
}

void ScopedFaults::NoAnonymousFiles() {
  ActivePosixCalls().open = [](const char* path, int flags, mode_t mode) {
    if ((flags & O_TMPFILE) == O_TMPFILE)
      return errno = EOPNOTSUPP, -1;
    return g_saved->open(path, flags, mode);
  };
}

int DeathsLeavingATemporary(bool) {
  return 1;
}

const int kIoError = EIO;
const int kDiskFullError = ENOSPC;

std::string DiskFullText() {
  return SystemErrorText(ENOSPC);
}

}  // namespace zarneth::test

#include "posix_calls.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>

namespace zarneth {
namespace {

SystemCallHook g_hook = nullptr;

const PosixCalls& Before(const char* call) {
  if (g_hook)
    g_hook(call);
  return ActivePosixCalls();
}

}  // namespace

const char* const kSyncCallName = "fsync";

PosixCalls& ActivePosixCalls() {
  static PosixCalls calls{
      [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
      ::close,
      ::flock,
      ::read,
      ::write,
      ::pread,
      ::pwrite,
      ::copy_file_range,
      ::ftruncate,
      ::fsync,
      ::fchmod,
      ::fchown,
      ::rename,
      ::unlink,
  };
  return calls;
}

ScopedPosixCalls::ScopedPosixCalls(PosixCalls replacement) : m_saved(ActivePosixCalls()) {
  ActivePosixCalls() = replacement;
}

ScopedPosixCalls::~ScopedPosixCalls() {
  ActivePosixCalls() = m_saved;
}

void SetSystemCallHook(SystemCallHook hook) {
  g_hook = hook;
}

namespace sys {

int Open(const char* path, int flags, mode_t mode) {
  return Before("open").open(path, flags, mode);
}
int Close(int fd) {
  return Before("close").close(fd);
}
int Flock(int fd, int operation) {
  return Before("flock").flock(fd, operation);
}
ssize_t Read(int fd, void* buffer, std::size_t count) {
  return Before("read").read(fd, buffer, count);
}
ssize_t Write(int fd, const void* buffer, std::size_t count) {
  return Before("write").write(fd, buffer, count);
}
ssize_t Pread(int fd, void* buffer, std::size_t count, off_t offset) {
  return Before("pread").pread(fd, buffer, count, offset);
}
ssize_t Pwrite(int fd, const void* buffer, std::size_t count, off_t offset) {
  return Before("pwrite").pwrite(fd, buffer, count, offset);
}
ssize_t CopyFileRange(int fromFd, off_t* fromOffset, int toFd, off_t* toOffset, std::size_t count) {
  return Before("copy_file_range").copyFileRange(fromFd, fromOffset, toFd, toOffset, count, 0);
}
int Ftruncate(int fd, off_t length) {
  return Before("ftruncate").ftruncate(fd, length);
}
int Fsync(int fd) {
  return Before("fsync").fsync(fd);
}
int Fchmod(int fd, mode_t mode) {
  return Before("fchmod").fchmod(fd, mode);
}
int Fchown(int fd, uid_t owner, gid_t group) {
  return Before("fchown").fchown(fd, owner, group);
}
int Rename(const char* from, const char* to) {
  return Before("rename").rename(from, to);
}
int Unlink(const char* path) {
  return Before("unlink").unlink(path);
}

}  // namespace sys
}  // namespace zarneth

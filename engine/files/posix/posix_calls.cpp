#include "posix_calls.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace zarneth {
namespace {

SystemCallHook activeHook = nullptr;

// The error the hook makes the call fail with, or 0 to let it through.
int Before(const char* call) {
  return activeHook ? activeHook(call) : 0;
}

const PosixCalls& Calls() {
  return ActivePosixCalls();
}

}  // namespace

const char* const kSyncCallName = "fsync";

namespace {

// The mount whose device is `fd`'s, in /proc/self/mountinfo: its type, the field after " - ".
int MountTypeOf(int fd, char* type, std::size_t size) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || size == 0)
    return -1;
  const std::string device =
      std::to_string(major(info.st_dev)) + ":" + std::to_string(minor(info.st_dev));
  std::ifstream mounts("/proc/self/mountinfo");
  std::string line;
  while (std::getline(mounts, line)) {
    std::istringstream fields(line);
    std::string id, parent, numbers;
    if (!(fields >> id >> parent >> numbers) || numbers != device)
      continue;
    const std::size_t dash = line.find(" - ");
    if (dash == std::string::npos)
      continue;
    std::istringstream rest(line.substr(dash + 3));
    std::string found;
    rest >> found;
    const std::size_t length = std::min(found.size(), size - 1);
    std::copy_n(found.data(), length, type);
    type[length] = '\0';
    return static_cast<int>(length);
  }
  return -1;
}

}  // namespace

PosixCalls& ActivePosixCalls() {
  static PosixCalls calls{
      [](int folder, const char* name, int flags, mode_t mode) {
        return ::openat(folder, name, flags, mode);
      },
      ::close,
      ::flock,
      ::pread,
      ::pwrite,
      ::copy_file_range,
      [](int toFd, int fromFd) { return ::ioctl(toFd, FICLONE, fromFd); },
      ::fsync,
      ::fchmod,
      ::fchown,
      ::renameat,
      [](int fromFolder, const char* from, int toFolder, const char* to) {
        return ::renameat2(fromFolder, from, toFolder, to, RENAME_NOREPLACE);
      },
      ::linkat,
      ::unlinkat,
      ::flistxattr,
      ::fgetxattr,
      ::fsetxattr,
      ::fremovexattr,
      ::fstatfs,
      ::fpathconf,
      MountTypeOf,
  };
  return calls;
}

void SetSystemCallHook(SystemCallHook hook) {
  activeHook = hook;
}

namespace sys {
namespace {

// Each call asks the hook first; a refusal is the call's own failure, -1 with errno set. A
// call a signal interrupts (EINTR) is made again, here and nowhere else: the run checks for
// a stop at its own safe points. (close is never made again: the descriptor is gone.)
template <typename Call>
auto Through(const char* name, Call call) -> decltype(call()) {
  for (;;) {
    if (const int error = Before(name)) {
      errno = error;
    } else {
      const auto result = call();
      if (result >= 0)
        return result;
    }
    if (errno != EINTR)
      return -1;
  }
}

}  // namespace

int Openat(int folder, const char* name, int flags, mode_t mode) {
  return Through("open", [&] { return Calls().openat(folder, name, flags, mode); });
}
int Close(int fd) {
  // A close the hook refuses still closes, as a failing close(2) does on Linux.
  if (const int error = Before("close"))
    return Calls().close(fd), errno = error, -1;
  return Calls().close(fd);
}
int Flock(int fd, int operation) {
  return Through("flock", [&] { return Calls().flock(fd, operation); });
}
ssize_t Pread(int fd, void* buffer, std::size_t count, off_t offset) {
  return Through("pread", [&] { return Calls().pread(fd, buffer, count, offset); });
}
ssize_t Pwrite(int fd, const void* buffer, std::size_t count, off_t offset) {
  return Through("pwrite", [&] { return Calls().pwrite(fd, buffer, count, offset); });
}
ssize_t CopyFileRange(int fromFd, off_t* fromOffset, int toFd, off_t* toOffset, std::size_t count) {
  return Through("copy_file_range", [&] {
    return Calls().copyFileRange(fromFd, fromOffset, toFd, toOffset, count, 0);
  });
}
int Clone(int toFd, int fromFd) {
  return Through("clone", [&] { return Calls().clone(toFd, fromFd); });
}
int Fsync(int fd) {
  return Through("fsync", [&] { return Calls().fsync(fd); });
}
int Fchmod(int fd, mode_t mode) {
  return Through("fchmod", [&] { return Calls().fchmod(fd, mode); });
}
int Fchown(int fd, uid_t owner, gid_t group) {
  return Through("fchown", [&] { return Calls().fchown(fd, owner, group); });
}
int Renameat(int folder, const char* from, const char* to) {
  return Through("rename", [&] { return Calls().renameat(folder, from, folder, to); });
}
int RenameNoReplace(int folder, const char* from, const char* to) {
  return Through("renameat2", [&] { return Calls().renameNoReplace(folder, from, folder, to); });
}
int Linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
  return Through("linkat", [&] { return Calls().linkat(fromFolder, from, toFolder, to, flags); });
}
int Unlinkat(int folder, const char* name) {
  return Through("unlink", [&] { return Calls().unlinkat(folder, name, 0); });
}
ssize_t Flistxattr(int fd, char* names, std::size_t size) {
  return Through("flistxattr", [&] { return Calls().flistxattr(fd, names, size); });
}
ssize_t Fgetxattr(int fd, const char* name, void* value, std::size_t size) {
  return Through("fgetxattr", [&] { return Calls().fgetxattr(fd, name, value, size); });
}
int Fsetxattr(int fd, const char* name, const void* value, std::size_t size, int flags) {
  return Through("fsetxattr", [&] { return Calls().fsetxattr(fd, name, value, size, flags); });
}
int Fremovexattr(int fd, const char* name) {
  return Through("fremovexattr", [&] { return Calls().fremovexattr(fd, name); });
}
int Fstatfs(int fd, struct statfs* info) {
  return Calls().fstatfs(fd, info);
}
long Fpathconf(int fd, int name) {
  return Calls().fpathconf(fd, name);
}
std::string MountType(int fd) {
  char type[64];
  return Calls().mountType(fd, type, sizeof type) < 0 ? std::string() : std::string(type);
}

}  // namespace sys
}  // namespace zarneth

#pragma once

#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/types.h>

#include <cstddef>
#include <string>

#include "system_call_hook.h"

namespace zarneth {

// Every POSIX call through which the engine changes, reads, locks or syncs a file. Tests
// replace single calls to make a read come up short, a write fail with ENOSPC or locks never
// conflict; the SystemCallHook runs before each of them.
struct PosixCalls {
  // Every name is taken relative to a held folder's descriptor (or AT_FDCWD).
  int (*openat)(int folder, const char* name, int flags, mode_t mode);
  int (*close)(int fd);
  int (*flock)(int fd, int operation);
  ssize_t (*pread)(int fd, void* buffer, std::size_t count, off_t offset);
  ssize_t (*pwrite)(int fd, const void* buffer, std::size_t count, off_t offset);
  ssize_t (*copyFileRange)(int fromFd, off_t* fromOffset, int toFd, off_t* toOffset,
                           std::size_t count, unsigned flags);
  // ioctl(to, FICLONE, from).
  int (*clone)(int toFd, int fromFd);
  int (*fsync)(int fd);
  int (*fchmod)(int fd, mode_t mode);
  int (*fchown)(int fd, uid_t owner, gid_t group);
  int (*renameat)(int fromFolder, const char* from, int toFolder, const char* to);
  // renameat2 with RENAME_NOREPLACE.
  int (*renameNoReplace)(int fromFolder, const char* from, int toFolder, const char* to);
  int (*linkat)(int fromFolder, const char* from, int toFolder, const char* to, int flags);
  int (*unlinkat)(int folder, const char* name, int flags);
  ssize_t (*flistxattr)(int fd, char* names, std::size_t size);
  ssize_t (*fgetxattr)(int fd, const char* name, void* value, std::size_t size);
  int (*fsetxattr)(int fd, const char* name, const void* value, std::size_t size, int flags);
  int (*fremovexattr)(int fd, const char* name);
  // What the file system says of itself: its kind, its limits.
  int (*fstatfs)(int fd, struct statfs* info);
  long (*fpathconf)(int fd, int name);
  // The type of the mount that holds `fd` as /proc/self/mountinfo names it ("ext4",
  // "fuse.fusefat") into `type`, ended; its length, or -1 where none is found.
  int (*mountType)(int fd, char* type, std::size_t size);
};

// The calls in force; the real ones unless a test swapped them.
PosixCalls& ActivePosixCalls();

// The engine's way to the calls: the hook first, then the call in force; a call that a
// signal interrupts (EINTR) is made again, all but close.
namespace sys {
int Openat(int folder, const char* name, int flags, mode_t mode = 0);
int Close(int fd);
int Flock(int fd, int operation);
ssize_t Pread(int fd, void* buffer, std::size_t count, off_t offset);
ssize_t Pwrite(int fd, const void* buffer, std::size_t count, off_t offset);
ssize_t CopyFileRange(int fromFd, off_t* fromOffset, int toFd, off_t* toOffset, std::size_t count);
int Clone(int toFd, int fromFd);
int Fsync(int fd);
int Fchmod(int fd, mode_t mode);
int Fchown(int fd, uid_t owner, gid_t group);
int Renameat(int folder, const char* from, const char* to);
// A rename that fails with EEXIST instead of replacing a file that appeared under `to`.
int RenameNoReplace(int folder, const char* from, const char* to);
int Linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags);
int Unlinkat(int folder, const char* name);
ssize_t Flistxattr(int fd, char* names, std::size_t size);
ssize_t Fgetxattr(int fd, const char* name, void* value, std::size_t size);
int Fsetxattr(int fd, const char* name, const void* value, std::size_t size, int flags);
int Fremovexattr(int fd, const char* name);
// Questions, not actions: the hook is not asked (nothing a run does fails with them).
int Fstatfs(int fd, struct statfs* info);
long Fpathconf(int fd, int name);
// The mount type of `fd`'s file system (mountType); empty where it cannot be told.
std::string MountType(int fd);
}  // namespace sys

}  // namespace zarneth

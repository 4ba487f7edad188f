#include "platform_files.h"

#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <stdexcept>

#include "c_file.h"

namespace zarneth::test {

const char* const kDevicePath = "/dev/null";

std::vector<std::string> DevicePaths(const std::string&) {
  return {"/dev/null", "/dev/zero", "/dev/full"};
}

bool MakeSymlink(const std::string& target, const std::string& link) {
  std::error_code error;
  std::filesystem::create_symlink(target, link, error);
  return !error;
}

bool MakeFifoAndDanglingLink(const std::string& folder) {
  return ::mkfifo((folder + "/fifo").c_str(), 0644) == 0 &&
         MakeSymlink(folder + "/gone.bin", folder + "/dangling");
}

void MakeReadOnly(const std::string& path) {
  ::chmod(path.c_str(), 0444);
}

void GiveUnusualAccess(const std::string& path) {
  // Only root may give a file away.
  if (::geteuid() == 0 && ::chown(path.c_str(), 1234, 5678) != 0)
    throw std::runtime_error("cannot give " + path + " away");
  // Set-id bits, which a change of owner clears.
  ::chmod(path.c_str(), 06750);
  // An attribute of the user's and an access list that lets user 4321 read, where the file
  // system keeps them (the ACL in its xattr form: version 2, then tag, permissions, id).
  ::setxattr(path.c_str(), "user.zarneth-test", "kept", 4, 0);
  const std::uint16_t acl[] = {2, 0, 0x01, 7,    0, 0, 0x02, 4,    4321, 0, 0x04,
                               5, 0, 0,    0x10, 5, 0, 0,    0x20, 0,    0, 0};
  ::setxattr(path.c_str(), "system.posix_acl_access", acl, sizeof acl, 0);
}

std::string AccessOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0)
    return "none";
  std::string access = "mode " + std::to_string(info.st_mode & 07777) + ", owner " +
                       std::to_string(info.st_uid) + ":" + std::to_string(info.st_gid);
  char names[1024];
  const ssize_t length = ::listxattr(path.c_str(), names, sizeof names);
  for (ssize_t at = 0; at < length; at += static_cast<ssize_t>(std::strlen(names + at)) + 1) {
    char value[256];
    const ssize_t size = ::getxattr(path.c_str(), names + at, value, sizeof value);
    access += std::string(", ") + (names + at) + "=" +
              (size < 0 ? "?" : std::to_string(std::hash<std::string>{}(std::string(value, size))));
  }
  return access;
}

bool GiveToAnotherUser(const std::string& path) {
  return ::geteuid() == 0 && ::lchown(path.c_str(), 1234, 1234) == 0;
}

bool MakeInheritingFolder(const std::string& path) {
  if (::geteuid() != 0 || ::mkdir(path.c_str(), 0775) != 0 || ::chown(path.c_str(), 0, 5678) != 0 ||
      ::chmod(path.c_str(), 02775) != 0)
    return false;
  // The default ACL in its xattr form: version 2, then tag, permissions, id for each entry.
  const std::uint16_t acl[] = {2, 0, 0x01, 7,    0, 0, 0x02, 7,    4321, 0, 0x04,
                               5, 0, 0,    0x10, 7, 0, 0,    0x20, 5,    0, 0};
  return ::setxattr(path.c_str(), "system.posix_acl_default", acl, sizeof acl, 0) == 0;
}

bool GiveCapability(const std::string& path) {
  // struct vfs_cap_data, revision 2: cap_net_raw (13) permitted, none inheritable.
  const std::uint32_t capability[] = {0x02000000, 1u << 13, 0, 0, 0};
  return ::geteuid() == 0 &&
         ::setxattr(path.c_str(), "security.capability", capability, sizeof capability, 0) == 0;
}

namespace {

// Runs `body` in a child process after `prepare`, which returns false when it could not
// arrange the child's world (exit code 125, reported as nothing); 124 when `body` threw.
std::optional<int> RunInChild(const std::function<bool()>& prepare,
                              const std::function<int()>& body) {
  if (::geteuid() != 0)
    return std::nullopt;
  const pid_t child = ::fork();
  if (child == 0) {
    // Nothing may leave the child but its exit code: an exception would run the rest of the
    // test suite a second time there.
    try {
      ::_exit(prepare() ? body() : 125);
    } catch (...) {
      ::_exit(124);
    }
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
      WEXITSTATUS(status) == 125)
    return std::nullopt;
  return WEXITSTATUS(status);
}

}  // namespace

std::optional<int> RunAsAnotherUser(const std::function<int()>& body) {
  return RunInChild(
      [] { return ::setgroups(0, nullptr) == 0 && ::setgid(1234) == 0 && ::setuid(1234) == 0; },
      body);
}

std::optional<int> RunWithoutProc(const std::function<int()>& body) {
  return RunInChild(
      [] {
        return ::unshare(CLONE_NEWNS) == 0 &&
               ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               ::mount("tmpfs", "/proc", "tmpfs", 0, "size=16k") == 0;
      },
      body);
}

bool MakeSharedFolder(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0 && ::chmod(path.c_str(), 01777) == 0;
}

ScopedFileSizeLimit::ScopedFileSizeLimit(std::uint64_t bytes) {
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_FSIZE, &limit) != 0)
    return;
  m_saved = limit.rlim_cur;
  limit.rlim_cur = bytes;
  m_active = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

ScopedFileSizeLimit::~ScopedFileSizeLimit() {
  struct rlimit limit {};
  if (m_active && ::getrlimit(RLIMIT_FSIZE, &limit) == 0) {
    limit.rlim_cur = m_saved;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
}

std::string MissingFileText() {
  return SystemErrorText(ENOENT);
}

std::string MissingFolderText() {
  return SystemErrorText(ENOENT);
}

std::string FileExistsText() {
  return SystemErrorText(EEXIST);
}

bool PermissionsWithin(const std::string& path, unsigned allowed) {
  const auto permissions = std::filesystem::status(path).permissions();
  return (permissions & ~std::filesystem::perms(allowed)) == std::filesystem::perms::none;
}

ScopedSmallDisk::ScopedSmallDisk(const std::string& at) : m_at(at) {
  if (::mount("tmpfs", at.c_str(), "tmpfs", 0, "size=1m") != 0)
    m_reason = std::string("cannot mount a small tmpfs here (") + std::strerror(errno) +
               "); this needs root and the right to mount";
}

ScopedSmallDisk::~ScopedSmallDisk() {
  if (m_reason.empty())
    ::umount2(m_at.c_str(), MNT_DETACH);
}

ScopedFatDisk::ScopedFatDisk(const std::string& at) : m_at(at), m_image(at + ".fat") {
  const std::string quiet = " >/dev/null 2>&1";
  if (std::system(("command -v fusefat" + quiet + " && command -v mkfs.vfat" + quiet).c_str()) !=
      0) {
    m_reason = "fusefat or mkfs.vfat is not installed";
    return;
  }
  if (std::system(
          ("truncate -s 16M '" + m_image + "' && mkfs.vfat '" + m_image + "'" + quiet).c_str()) !=
          0 ||
      std::system(("fusefat -o rw+ '" + m_image + "' '" + at + "'" + quiet).c_str()) != 0) {
    m_reason = "cannot mount a FAT file system with fusefat here (no FUSE for this user)";
    std::filesystem::remove(m_image);
    return;
  }
  // fusefat may end well without a mount (no FUSE device for this user): the folder must be
  // a FUSE file system now.
  struct statfs info {};
  if (::statfs(at.c_str(), &info) != 0 || info.f_type != 0x65735546) {
    m_reason = "fusefat mounted nothing here (no FUSE for this user)";
    std::filesystem::remove(m_image);
  }
}

ScopedFatDisk::~ScopedFatDisk() {
  if (!m_reason.empty())
    return;
  if (std::system(("fusermount -u '" + m_at + "' >/dev/null 2>&1").c_str()) != 0)
    ::umount2(m_at.c_str(), MNT_DETACH);
  std::filesystem::remove(m_image);
}

}  // namespace zarneth::test

#include "file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "file_paths.h"
#include "posix_calls.h"
#include "quoted_name.h"

namespace zarneth {
namespace {

// The kernel follows no more links than this in one name (ELOOP).
constexpr int kMaxLinks = 40;

std::optional<std::string> Refused(std::string* whyNot, std::string reason) {
  if (whyNot)
    *whyNot = std::move(reason);
  return std::nullopt;
}

// The kernel's protected-symlink rule (fs.protected_symlinks): a link in a sticky folder
// that everyone may write is followed only by its owner or when the folder's owner owns it.
bool MayFollow(const struct stat& link, const struct stat& folder) {
  const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
  return !shared || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

std::optional<std::string> LinkTarget(const std::string& link) {
  std::vector<char> target(256);
  for (;;) {
    const ssize_t n = ::readlink(link.c_str(), target.data(), target.size());
    if (n < 0)
      return std::nullopt;
    if (static_cast<std::size_t>(n) < target.size())
      return std::string(target.data(), static_cast<std::size_t>(n));
    target.resize(target.size() * 2);
  }
}

}  // namespace

std::optional<std::string> FinalPath(const std::string& path, std::string* whyNot) {
  std::string current = path;
  for (int hop = 0; hop <= kMaxLinks; ++hop) {
    struct stat link {};
    if (::lstat(current.c_str(), &link) != 0) {
      if (hop > 0 && errno == ENOENT)
        return Refused(whyNot, "it is a symbolic link to a file that does not exist");
      return current;  // a new name, or an error the open reports in its own words
    }
    if (!S_ISLNK(link.st_mode))
      return current;
    const std::string folder = FolderOf(current);
    struct stat folderInfo {};
    if (::stat(folder.c_str(), &folderInfo) != 0)
      return Refused(whyNot, SystemErrorText(errno));
    if (!MayFollow(link, folderInfo))
      return Refused(whyNot, (hop == 0 ? std::string("it is a symbolic link")
                                       : "it leads to the symbolic link " + QuotedName(current)) +
                                 " in a folder shared by all, owned by another user; the "
                                 "system follows such links only for their owner");
    const auto target = LinkTarget(current);
    if (!target)
      return Refused(whyNot, SystemErrorText(errno));
    current = target->starts_with('/') || folder == "." ? *target : folder + "/" + *target;
  }
  return Refused(whyNot, SystemErrorText(ELOOP));
}

std::string WhyFolderTakesNoNewFile(const std::string& folder) {
  // With the effective ids, as the creation of the file would be checked.
  if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0)
    return {};
  return SystemErrorText(errno);
}

bool FolderHasHardLinks(const std::string& folder) {
  // vfat and its kin say that a file has at most one name.
  return ::pathconf(folder.c_str(), _PC_LINK_MAX) != 1;
}

bool NameFits(const std::string& path) {
  return NameOf(path).size() <= kMaxNameBytes;
}

bool PathExists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0)
    return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
}

int RemoveFile(const std::string& path) {
  return sys::Unlink(path.c_str()) == 0 ? 0 : errno;
}

void RemoveHeldFile(CFile& file) {
  RemoveFile(file.GetFilePath());  // while it is locked, so no run opens it meanwhile
  file.Abort();
}

void MoveIntoPlace(const std::string& from, const std::string& to, bool replaces) {
  int result = replaces ? sys::Rename(from.c_str(), to.c_str())
                        : sys::RenameNoReplace(from.c_str(), to.c_str());
  // A file system without renameat2's flag: a plain rename, the name checked just before.
  if (!replaces && result != 0 && (errno == EINVAL || errno == ENOSYS)) {
    if (PathExists(to))
      throw CFileException("create", to, EEXIST);
    result = sys::Rename(from.c_str(), to.c_str());
  }
  if (result != 0)
    throw CFileException(replaces ? "replace" : "create", to, errno);
}

int LinkFile(const std::string& from, const std::string& to) {
  return sys::Linkat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 0) == 0 ? 0 : errno;
}

bool IsNameTaken(int error) {
  return error == EEXIST;
}

void ReleaseBeforeReplace(CFile&) {}

void SyncFolderOf(const std::string& pathInFolder) {
  const std::string folder = FolderOf(pathInFolder);
  const int fd = sys::Open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  int error = fd < 0 ? errno : 0;
  if (fd >= 0) {
    if (sys::Fsync(fd) != 0)
      error = errno;
    sys::Close(fd);
  }
  // EINVAL: a file system that keeps no separate folder data to sync.
  if (error != 0 && error != EINVAL)
    throw CFileException("sync the folder of", pathInFolder, error);
}

}  // namespace zarneth

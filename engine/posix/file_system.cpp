#include "file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

// The components of `path`, in order; "." and empty ones dropped.
std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t at = 0;
  while (at <= path.size()) {
    const std::size_t end = std::min(path.find('/', at), path.size());
    std::string part = path.substr(at, end - at);
    if (!part.empty() && part != ".")
      parts.push_back(std::move(part));
    at = end + 1;
  }
  return parts;
}

std::string Joined(const std::string& folder, const std::string& name) {
  if (folder.empty())
    return name;
  return folder == "/" ? "/" + name : folder + "/" + name;
}

// `path` with every symbolic link on its way replaced by what it leads to, each checked
// against the protected-symlink rule in its own folder. `danglingRefused`: a final link to
// nothing is refused (a destination), or left for the open to report as missing.
std::optional<std::string> Resolve(const std::string& path, std::string* whyNot,
                                   bool danglingRefused) {
  // Components still to walk, the last at the front of the list's end: popped from the back.
  std::vector<std::string> left = Components(path);
  std::reverse(left.begin(), left.end());
  std::string resolved = path.starts_with('/') ? "/" : "";
  int links = 0;
  bool finalLinkFollowed = false;
  while (!left.empty()) {
    const std::string part = left.back();
    left.pop_back();
    if (part == "..") {
      // `resolved` holds no link, so its parent by name is its parent on the disk.
      if (resolved.empty() || NameOf(resolved) == "..")
        resolved = Joined(resolved, "..");
      else if (resolved != "/")
        resolved = resolved.find('/') == std::string::npos ? "" : FolderOf(resolved);
      continue;
    }
    const std::string candidate = Joined(resolved, part);
    struct stat link {};
    if (::lstat(candidate.c_str(), &link) != 0) {
      if (left.empty() && errno == ENOENT && finalLinkFollowed && danglingRefused)
        return Refused(whyNot, "it is a symbolic link to a file that does not exist");
      // A new name, or an error the open reports in its own words.
      std::string rest = candidate;
      for (auto it = left.rbegin(); it != left.rend(); ++it)
        rest = Joined(rest, *it);
      return rest;
    }
    if (!S_ISLNK(link.st_mode)) {
      resolved = candidate;
      continue;
    }
    if (++links > kMaxLinks)
      return Refused(whyNot, SystemErrorText(ELOOP));
    const std::string folder = resolved.empty() ? "." : resolved;
    struct stat folderInfo {};
    if (::stat(folder.c_str(), &folderInfo) != 0)
      return Refused(whyNot, SystemErrorText(errno));
    if (!MayFollow(link, folderInfo))
      return Refused(whyNot, (candidate == path
                                  ? std::string("it is a symbolic link")
                                  : "it leads through the symbolic link " + QuotedName(candidate)) +
                                 " in a folder shared by all, owned by another user; the "
                                 "system follows such links only for their owner");
    const auto target = LinkTarget(candidate);
    if (!target)
      return Refused(whyNot, SystemErrorText(errno));
    finalLinkFollowed = left.empty();
    std::vector<std::string> more = Components(*target);
    left.insert(left.end(), more.rbegin(), more.rend());
    if (target->starts_with('/'))
      resolved = "/";
  }
  return resolved.empty() ? std::string(".") : resolved;
}

}  // namespace

std::optional<std::string> FinalPath(const std::string& path, std::string* whyNot) {
  return Resolve(path, whyNot, true);
}

std::optional<std::string> PathWithoutLinks(const std::string& path, std::string* whyNot) {
  return Resolve(path, whyNot, false);
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

#include "file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "file_paths.h"
#include "posix_calls.h"

namespace zarneth {

std::optional<std::string> FinalPath(const std::string& path, std::string* whyNot) {
  const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                             &std::free);
  if (resolved)
    return std::string(resolved.get());
  struct stat link {};
  if (errno == ENOENT && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    if (whyNot)
      *whyNot = "it is a symbolic link to a file that does not exist";
    return std::nullopt;
  }
  return path;
}

bool PathExists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0)
    return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
}

int RemoveFile(const std::string& path) {
  return sys::Unlink(path.c_str()) == 0 ? 0 : errno;
}

void MoveIntoPlace(const std::string& from, const std::string& to) {
  if (sys::Rename(from.c_str(), to.c_str()) != 0)
    throw CFileException("replace", to, errno);
}

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

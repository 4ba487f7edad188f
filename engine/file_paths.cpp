#include "file_paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

#include "c_file.h"
#include "posix_calls.h"

namespace zarneth {
namespace {

constexpr const char* kJournalSuffix = ".zarneth-journal";
constexpr const char* kTemporaryMark = ".zarneth-";
constexpr const char* kTemporarySuffix = ".tmp";
constexpr std::size_t kUniqueLength = 6;

}  // namespace

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

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JournalPathFor(const std::string& imagePath) {
  const std::string image = FinalPath(imagePath, nullptr).value_or(imagePath);
  return FolderOf(image) + "/." + NameOf(image) + kJournalSuffix;
}

bool IsTemporaryName(const std::string& name) {
  const std::string mark = kTemporaryMark;
  const std::string suffix = kTemporarySuffix;
  const std::size_t tail = mark.size() + kUniqueLength + suffix.size();
  return name.size() > tail + 1 && name[0] == '.' &&
         name.compare(name.size() - tail, mark.size(), mark) == 0 &&
         name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string TemporaryName(const std::string& finalPath, const std::string& unique) {
  return FolderOf(finalPath) + "/." + NameOf(finalPath) + kTemporaryMark +
         unique.substr(0, kUniqueLength) + kTemporarySuffix;
}

bool PathExists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
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

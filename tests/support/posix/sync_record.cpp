#include "sync_record.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "posix_calls.h"

namespace zarneth::test {
namespace {

std::string logPath;
ino_t folderInode = 0;
int (*realFsync)(int) = nullptr;

// What a successful fsync made durable: a file's bytes, or the watched folder's names. Read
// with the system's own calls, not the engine's seam, so the run's calls are counted alone.
int RecordingFsync(int fd) {
  const int result = realFsync(fd);
  struct stat info {};
  if (result != 0 || ::fstat(fd, &info) != 0)
    return result;
  if (S_ISDIR(info.st_mode)) {
    if (info.st_ino != folderInode)
      return result;
    std::string record = "D\n";
    const int listing = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (DIR* entries = listing < 0 ? nullptr : ::fdopendir(listing)) {
      while (const dirent* entry = ::readdir(entries)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
          record += name + "\n" + std::to_string(entry->d_ino) + "\n";
      }
      ::closedir(entries);
    }
    AppendSyncRecord(logPath, record);
  } else if (S_ISREG(info.st_mode)) {
    std::string record = "F" + std::to_string(info.st_ino) + "\n";
    char buffer[65536];
    for (off_t at = 0;;) {
      const ssize_t got = ::pread(fd, buffer, sizeof buffer, at);
      if (got <= 0)
        break;
      record.append(buffer, static_cast<std::size_t>(got));
      at += got;
    }
    AppendSyncRecord(logPath, record);
  }
  return result;
}

}  // namespace

void RecordSyncsIfAsked() {
  const char* log = std::getenv(kSyncLogVariable);
  const char* folder = std::getenv(kSyncFolderVariable);
  if (!log || !*log || !folder || !*folder)
    return;
  struct stat info {};
  if (::stat(folder, &info) != 0)
    return;
  logPath = log;
  folderInode = info.st_ino;
  PosixCalls& calls = ActivePosixCalls();
  realFsync = calls.fsync;
  calls.fsync = &RecordingFsync;
}

std::map<std::string, std::string> NamesIn(const std::filesystem::path& folder) {
  std::map<std::string, std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    struct stat info {};
    if (::lstat(entry.path().c_str(), &info) == 0)
      names[entry.path().filename().string()] = std::to_string(info.st_ino);
  }
  return names;
}

}  // namespace zarneth::test

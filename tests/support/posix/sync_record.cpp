#include "sync_record.h"

#include <sys/stat.h>
#include <unistd.h>

#include "posix_calls.h"

namespace zarneth::test {
namespace {

std::optional<SyncRequest> request;
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
    if (info.st_ino == folderInode)
      RecordFolder(*request);
  } else if (S_ISREG(info.st_mode)) {
    std::string bytes;
    char buffer[65536];
    for (off_t at = 0;;) {
      const ssize_t got = ::pread(fd, buffer, sizeof buffer, at);
      if (got <= 0)
        break;
      bytes.append(buffer, static_cast<std::size_t>(got));
      at += got;
    }
    RecordFile(*request, std::to_string(info.st_ino), bytes);
  }
  return result;
}

}  // namespace

void RecordSyncsIfAsked() {
  request = AskedSyncRecord();
  struct stat info {};
  if (!request || ::stat(request->folder.c_str(), &info) != 0)
    return;
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

#include "power_cut.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <stdexcept>

#include "posix_calls.h"

namespace zarneth::test {
namespace {

// The child's log and the folder whose listing it records; set in the parent before the
// fork, so the child has them.
std::string logPath;
ino_t folderInode = 0;
int (*realFsync)(int) = nullptr;

void Append(const std::string& record) {
  const int log = ::open(logPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (log < 0)
    return;
  const std::string sized = std::to_string(record.size()) + "\n" + record;
  static_cast<void>(::write(log, sized.data(), sized.size()));
  ::close(log);
}

// What a successful fsync made durable, appended to the log: "F<inode>\n<bytes>" for a
// file, "D\n<name>\n<inode>\n..." for the folder.
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
    Append(record);
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
    Append(record);
  }
  return result;
}

ino_t InodeOf(const std::filesystem::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

}  // namespace

PowerCut::PowerCut(const std::filesystem::path& folder, const std::filesystem::path& logFolder)
    : m_folder(folder), m_log((logFolder / "syncs.log").string()) {
  logPath = m_log;
  folderInode = InodeOf(folder);
  PosixCalls& calls = ActivePosixCalls();
  realFsync = calls.fsync;
  calls.fsync = &RecordingFsync;
}

PowerCut::~PowerCut() {
  ActivePosixCalls().fsync = realFsync;
  logPath.clear();
}

void PowerCut::Before() {
  std::filesystem::remove(m_log);
  folderInode = InodeOf(m_folder);
  m_names.clear();
  m_bytes.clear();
  for (const auto& [name, bytes] : ListFolder(m_folder)) {
    const ino_t inode = InodeOf(m_folder / name);
    m_names[name] = inode;
    m_bytes[inode] = bytes;
  }
}

void PowerCut::Cut() {
  std::map<std::string, ino_t> names = m_names;
  std::map<ino_t, Bytes> bytes = m_bytes;
  std::ifstream log(m_log, std::ios::binary);
  std::string size;
  while (std::getline(log, size)) {
    std::string record(std::stoul(size), '\0');
    log.read(record.data(), static_cast<std::streamsize>(record.size()));
    const std::size_t line = record.find('\n');
    if (record[0] == 'F') {
      const ino_t inode = std::stoul(record.substr(1, line - 1));
      bytes[inode] = Bytes(record.begin() + static_cast<std::ptrdiff_t>(line) + 1, record.end());
      continue;
    }
    names.clear();
    for (std::size_t at = line + 1; at < record.size();) {
      const std::size_t nameEnd = record.find('\n', at);
      const std::size_t inodeEnd = record.find('\n', nameEnd + 1);
      names[record.substr(at, nameEnd - at)] =
          std::stoul(record.substr(nameEnd + 1, inodeEnd - nameEnd - 1));
      at = inodeEnd + 1;
    }
  }
  for (const auto& entry : std::filesystem::directory_iterator(m_folder))
    std::filesystem::remove_all(entry.path());
  for (const auto& [name, inode] : names) {
    const auto found = bytes.find(inode);
    WriteBytes((m_folder / name).string(), found == bytes.end() ? Bytes{} : found->second);
  }
}

}  // namespace zarneth::test

#include "save_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>

#include "file_paths.h"
#include "posix_calls.h"
#include "stop_request.h"

namespace zarneth {
namespace {

std::string UniqueText() {
  static std::mt19937_64 generator{std::random_device{}()};
  constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string text(6, 'a');
  for (char& c : text)
    c = kAlphabet[generator() % (sizeof kAlphabet - 1)];
  return text;
}

// Whether `path` still names the file open in `file`: a run cleaning the folder may have
// removed a temporary file in the instant between its creation and its lock.
bool StillNamed(const CFile& file, const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 &&
         FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)} == file.GetIdentity();
}

}  // namespace

void RemoveStaleTemporaries(const std::string& folder) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (!IsTemporaryName(name) || !entry.is_regular_file(error) || entry.is_symlink(error))
      continue;
    // A run that is still writing holds its lock; one that was killed holds nothing.
    CFile stale;
    if (stale.Open(entry.path().string(), CFile::modeRead | CFile::shareExclusive) &&
        StillNamed(stale, entry.path().string()))
      sys::Unlink(entry.path().c_str());
  }
}

SaveFile::~SaveFile() {
  if (m_temp.IsOpen() && !m_committed) {
    // Removed while still locked, so no cleaning run can mistake it for another's.
    sys::Unlink(m_tempPath.c_str());
    m_temp.Abort();
  }
}

bool SaveFile::Prepare(const std::string& path, std::string* whyNot) {
  const auto finalPath = FinalPath(path, whyNot);
  if (!finalPath)
    return false;
  m_finalPath = *finalPath;
  if (!PathExists(m_finalPath))
    return true;
  if (!m_existing.Open(m_finalPath, CFile::modeRead | CFile::shareExclusive, whyNot))
    return false;
  struct stat info {};
  if (::fstat(m_existing.GetHandle(), &info) != 0 || (info.st_mode & 0222) == 0) {
    m_existing.Abort();
    if (whyNot)
      *whyNot = "the file is read-only";
    return false;
  }
  return true;
}

bool SaveFile::Begin(std::string* whyNot) {
  RemoveStaleTemporaries(FolderOf(m_finalPath));
  struct stat existing {};
  const bool replaces = m_existing.IsOpen() && ::fstat(m_existing.GetHandle(), &existing) == 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    m_tempPath = TemporaryName(m_finalPath, UniqueText());
    if (!m_temp.CreateNew(m_tempPath, replaces ? 0600 : 0666, whyNot)) {
      if (PathExists(m_tempPath))
        continue;  // the name is taken: draw another
      return false;
    }
    if (StillNamed(m_temp, m_tempPath))
      break;
    m_temp.Abort();
  }
  if (!m_temp.IsOpen()) {
    if (whyNot)
      *whyNot = "no unused temporary name in the folder";
    return false;
  }
  if (replaces) {
    if (sys::Fchmod(m_temp.GetHandle(), existing.st_mode & 07777) != 0)
      m_temp.Fail("set the permissions of", errno);
    // Only the owner's superuser may give a file away; otherwise the new file is ours.
    if ((existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) &&
        sys::Fchown(m_temp.GetHandle(), existing.st_uid, existing.st_gid) != 0 && errno != EPERM)
      m_temp.Fail("set the owner of", errno);
  }
  return true;
}

void SaveFile::Commit() {
  StopIfRequested();
  m_temp.Sync();
  if (sys::Rename(m_tempPath.c_str(), m_finalPath.c_str()) != 0)
    throw CFileException("replace", m_finalPath, errno);
  m_committed = true;
  m_temp.Close();
  m_existing.Close();
  SyncFolderOf(m_finalPath);
}

}  // namespace zarneth

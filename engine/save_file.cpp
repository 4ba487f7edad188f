#include "save_file.h"

#include <filesystem>
#include <random>

#include "file_paths.h"
#include "file_system.h"
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
  return IdentityOf(path) == file.GetIdentity();
}

}  // namespace

void RemoveStaleTemporaries(const std::string& folder) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(PathFromUtf8(folder), error)) {
    const std::string name = Utf8FromPath(entry.path().filename());
    if (!IsTemporaryName(name) || !entry.is_regular_file(error) || entry.is_symlink(error))
      continue;
    // A run that is still writing holds its lock; one that was killed holds nothing.
    const std::string path = Utf8FromPath(entry.path());
    CFile stale;
    if (stale.Open(path, CFile::modeRead | CFile::shareExclusive) && StillNamed(stale, path)) {
      stale.Close();  // Windows removes no file that is still open
      RemoveFile(path);
    }
  }
}

SaveFile::~SaveFile() {
  if (m_temp.IsOpen() && !m_committed) {
    // Removed while still locked, so no cleaning run can mistake it for another's (Windows
    // lets the holder remove a file it created).
    RemoveFile(m_tempPath);
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
  if (m_existing.IsReadOnly()) {
    m_existing.Abort();
    if (whyNot)
      *whyNot = "the file is read-only";
    return false;
  }
  return true;
}

bool SaveFile::Begin(std::string* whyNot) {
  RemoveStaleTemporaries(FolderOf(m_finalPath));
  const bool replaces = m_existing.IsOpen();
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
  if (replaces)
    m_temp.TakeAccessFrom(m_existing);
  return true;
}

void SaveFile::Commit() {
  StopIfRequested();
  m_temp.Sync();
  // Windows replaces no file that is open; the new file stays held until it has the name.
  m_existing.Close();
  MoveIntoPlace(m_tempPath, m_finalPath);
  m_committed = true;
  m_temp.Close();
  SyncFolderOf(m_finalPath);
}

}  // namespace zarneth

#include "save_file.h"

#include <filesystem>

#include "file_paths.h"
#include "file_system.h"
#include "quoted_name.h"
#include "stop_request.h"

namespace zarneth {
namespace {

bool Refuse(std::string* whyNot, std::string reason) {
  if (whyNot)
    *whyNot = std::move(reason);
  return false;
}

}  // namespace

void RemoveStaleTemporaries(const std::string& finalPath) {
  const std::string finalName = NameOf(finalPath);
  std::error_code error;
  for (const auto& entry :
       std::filesystem::directory_iterator(PathFromUtf8(FolderOf(finalPath)), error)) {
    const std::string name = Utf8FromPath(entry.path().filename());
    if (!IsTemporaryNameOf(name, finalName))
      continue;
    // A run that is still writing holds its lock; one that was killed holds nothing. The
    // open refuses links and anything but a regular file.
    const std::string path = Utf8FromPath(entry.path());
    CFile stale;
    if (stale.Open(path, CFile::modeRead | CFile::shareExclusive | CFile::noFollow) &&
        stale.IsOwnedByCaller() && IdentityOf(path) == stale.GetIdentity())
      RemoveHeldFile(stale);
  }
}

bool SaveFile::Prepare(const std::string& path, Use use, std::string* whyNot) {
  m_use = use;
  const auto finalPath = zarneth::FinalPath(path, whyNot);
  if (!finalPath)
    return false;
  m_finalPath = *finalPath;
  if (!NameFits(m_finalPath))
    return Refuse(whyNot, "its name is longer than the 255 characters a file name may have");
  const bool inPlace = IsInPlace();
  // This destination's own temporaries from killed runs go before the image's names are
  // counted (a dry run changes nothing, so it leaves them).
  if (use == Use::InPlace)
    RemoveStaleTemporaries(m_finalPath);
  if (!inPlace && !PathExists(m_finalPath))
    return true;
  if (use == Use::NewNameOnly)
    return Refuse(whyNot, "it exists, and the run was asked to keep existing files (no clobber)");
  // The name was resolved above: a link put in its place since then is refused.
  const unsigned mode = use == Use::InPlace
                            ? CFile::modeReadWrite | CFile::noFollow
                            : CFile::modeRead | CFile::shareExclusive | CFile::noFollow;
  if (!m_existing.Open(m_finalPath, mode, whyNot))
    return false;
  if (m_existing.IsReadOnly()) {
    m_existing.Abort();
    return Refuse(whyNot, "the file is read-only");
  }
  if (inPlace && m_existing.GetLinkCount() > 1) {
    const auto names = m_existing.GetLinkCount();
    // A backup name of this very file, which a run stopped in the instant between naming
    // the backup and the rename left: with a backup asked for, it is that backup.
    const std::string backup = names == 2 ? BackupNameOf(m_existing) : std::string();
    if (!backup.empty() && m_keepBackup) {
      m_backupPath = backup;
      return true;
    }
    m_existing.Abort();
    std::string reason = "it has " + std::to_string(names) +
                         " names (hard links), and the others would keep the old bytes; ";
    if (!backup.empty())
      reason += QuotedName(backup) +
                " is the same file, a backup that a stopped run left: keep it as the backup "
                "with --backup, or remove it";
    else
      reason += "write a patched copy instead";
    return Refuse(whyNot, reason);
  }
  return true;
}

std::string SaveFile::BackupName(int number) const {
  std::string name = m_finalPath + ".bak";
  if (number > 0)
    name += "." + std::to_string(number);
  return name;
}

std::string SaveFile::BackupNameOf(const CFile& file) const {
  for (int number = 0; number < kBackupNames; ++number) {
    std::string name = BackupName(number);
    const auto identity = IdentityOf(name);
    if (identity == file.GetIdentity())
      return name;
    if (!identity)
      break;  // backups take the first free number
  }
  return {};
}

bool SaveFile::RefuseNewFile(std::string* whyNot, const std::string& reason) const {
  if (!IsInPlace())
    return Refuse(whyNot, reason);
  return Refuse(whyNot, "its folder " + QuotedName(FolderOf(m_finalPath)) +
                            " does not take a new file (" + reason +
                            "); write a patched copy instead");
}

bool SaveFile::RefuseAccess(std::string* whyNot, const std::string& notKept) const {
  return Refuse(whyNot, notKept + (IsInPlace() ? "; write a patched copy instead"
                                               : "; write the copy under another name"));
}

bool SaveFile::Check(std::string* whyNot) const {
  const std::string folder = FolderOf(m_finalPath);
  if (const std::string why = WhyFolderTakesNoNewFile(folder); !why.empty())
    return RefuseNewFile(whyNot, why);
  if (m_existing.IsOpen()) {
    if (const std::string notKept = m_existing.WhyAccessCannotBeTaken(); !notKept.empty())
      return RefuseAccess(whyNot, notKept);
  }
  return !RefusesBackup(whyNot);
}

bool SaveFile::RefusesBackup(std::string* whyNot) const {
  if (!m_keepBackup || !m_existing.IsOpen() || !m_backupPath.empty() ||
      FolderHasHardLinks(FolderOf(m_finalPath)))
    return false;
  Refuse(whyNot,
         "its file system does not give a file a second name (a hard link), which the backup is");
  return true;
}

bool SaveFile::Begin(std::string* whyNot) {
  // A backup the file system cannot make is refused before anything is written.
  if (RefusesBackup(whyNot))
    return false;
  RemoveStaleTemporaries(m_finalPath);
  const bool replaces = m_existing.IsOpen();
  std::string why;
  if (!m_temp.Create(m_finalPath, replaces ? 0600 : 0666, &why))
    return RefuseNewFile(whyNot, why);
  // The replaced file's owner, group, attributes and mode, taken now so that what cannot be
  // kept is refused before anything is written, and again in Commit after the last write.
  if (replaces) {
    const std::string notKept = m_temp.File().TakeAccessFrom(m_existing);
    if (!notKept.empty()) {
      m_temp.Discard();
      return RefuseAccess(whyNot, notKept);
    }
  }
  return true;
}

void SaveFile::LinkBackup() {
  for (int number = 0; number < kBackupNames; ++number) {
    std::string name = BackupName(number);
    const int error = LinkFile(m_finalPath, name);
    if (error == 0) {
      m_backupPath = name;
      return;
    }
    if (!IsNameTaken(error))
      throw CFileException("keep a backup of", m_finalPath, error);
  }
  throw CFileException("keep a backup of", m_finalPath,
                       "every backup name up to .bak.999 is taken");
}

std::string SaveFile::Commit() {
  StopIfRequested();
  CFile& file = m_temp.File();
  const bool replaces = m_existing.IsOpen();
  // Writing cleared the set-id bits and file capabilities taken in Begin (the kernel does so
  // on every write by an unprivileged caller, and drops capabilities on any write).
  if (replaces) {
    const std::string notKept = file.TakeAccessFrom(m_existing);
    if (!notKept.empty())
      throw CFileException("keep the access of", m_finalPath, notKept);
  }
  file.Sync();
  // The destination must still be the file checked and held since Prepare.
  if (replaces && IdentityOf(m_finalPath) != m_existing.GetIdentity())
    throw CFileException("replace", m_finalPath,
                         "another file took its name during the run; nothing was changed");
  // A backup name made here, as opposed to one found in Prepare.
  const bool linksBackup = m_keepBackup && replaces && m_backupPath.empty();
  try {
    if (!replaces && m_temp.IsAnonymous()) {
      // A new name: the anonymous file takes it directly, so no death leaves a name behind.
      if (const int error = m_temp.NameAs(m_finalPath))
        throw CFileException("create", m_finalPath, error);
    } else {
      // Named first, then the backup name, then the rename: a death between the last two
      // leaves the backup as a further name of the unchanged image, which the next run with
      // a backup takes as its own.
      const std::string& name = m_temp.GiveName(Existing());
      if (linksBackup)
        LinkBackup();
      ReleaseBeforeReplace(m_existing);
      MoveIntoPlace(name, m_finalPath, replaces);
    }
  } catch (...) {
    // Not replaced: the backup name of the unchanged image goes again, once the image is let
    // go (Windows removes no name of a file held without sharing its deletion).
    m_existing.Abort();
    if (linksBackup && !m_backupPath.empty()) {
      RemoveFile(m_backupPath);
      m_backupPath.clear();
    }
    throw;
  }
  // The point of no return: the destination holds the new bytes. What fails from here on
  // is a warning, never a failure of the run.
  m_temp.Placed();
  std::string unconfirmed;
  try {
    file.Close();
  } catch (const CFileException& e) {
    unconfirmed = e.what();
  }
  try {
    SyncFolderOf(m_finalPath);
  } catch (const CFileException& e) {
    if (unconfirmed.empty())
      unconfirmed = e.what();
  }
  m_existing.Abort();
  if (unconfirmed.empty())
    return {};
  return "the new content is in place in " + QuotedName(m_finalPath) +
         ", but the system did not confirm that it is on the disk (" + unconfirmed + ")";
}

}  // namespace zarneth

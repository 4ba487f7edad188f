#include "save_file.h"

#include "file_paths.h"
#include "file_system.h"
#include "stop_request.h"
#include "words.h"

namespace zarneth {
namespace {

using Kind = FileRefusal::Kind;

}  // namespace

void RemoveStaleTemporaries(const HeldFolder& folder, const std::string& finalName) {
  for (const std::string& name : NamesIn(folder)) {
    if (!IsTemporaryNameOf(name, finalName))
      continue;
    // A run that is still writing holds its lock; one that was killed holds nothing. The
    // open refuses links and anything but a regular file.
    CFile stale;
    if (stale.OpenAt(folder, name, folder.PathOf(name), CFile::modeRead | CFile::shareExclusive) &&
        stale.IsOwnedByCaller() && IdentityOf(folder, name) == stale.GetIdentity())
      RemoveHeldFile(stale, folder, name);
  }
}

FileStatus SaveFile::Prepare(const std::string& path, Use use) {
  ExpectState(State::New);
  m_state = State::Failed;  // until every check below is passed
  m_use = use;
  m_givenPath = path;
  auto entry = ResolveEntry(path, FinalLink::MustLead);
  if (!entry)
    return entry.Why();
  m_entry = std::move(*entry);
  if (!NameFits(m_entry.name))
    return FileRefusal{.kind = Kind::NameTooLong};
  // This destination's own temporaries from killed runs go first, whatever becomes of the
  // run (a dry run changes nothing, so it leaves them).
  if (IsInPlace() && !m_dryRun)
    RemoveStaleTemporaries(m_entry.folder, m_entry.name);
  if (const FileStatus held = HoldExisting(); !held) {
    m_existing.Abort();
    return held;
  }
  m_state = State::Prepared;
  ExpectState(State::Prepared);
  return {};
}

FileStatus SaveFile::HoldExisting() {
  const HeldFolder& folder = m_entry.folder;
  if (!IsInPlace() && !EntryExists(folder, m_entry.name))
    return {};
  if (m_use == Use::NewNameOnly)
    return FileRefusal{.kind = Kind::Exists};
  // Held alone and only read, in a dry run and a real run alike: the new bytes go to the
  // temporary, never through this handle. In place the image must still be one the user
  // may write, as the image patched in place always had to be.
  if (const FileStatus opened = m_existing.OpenAt(folder, m_entry.name, m_entry.path,
                                                  CFile::modeRead | CFile::shareExclusive);
      !opened)
    return opened;
  if (m_existing.IsReadOnly())
    return FileRefusal{.kind = Kind::ReadOnly};
  if (!IsInPlace())
    return {};
  if (const FileStatus writable = EntryWritable(folder, m_entry.name, m_existing); !writable)
    return writable;
  return m_existing.GetLinkCount() > 1 ? TakeFurtherNames() : FileStatus{};
}

FileStatus SaveFile::TakeFurtherNames() {
  const HeldFolder& folder = m_entry.folder;
  const auto names = m_existing.GetLinkCount();
  // A backup name of this very file, which a run stopped in the instant between naming
  // the backup and the rename left: with a backup asked for, it is that backup.
  const std::string backup = names == 2 ? BackupNameOf(m_existing) : std::string();
  if (!backup.empty() && m_keepBackup) {
    m_backupName = backup;
    return {};
  }
  if (!backup.empty())
    return FileRefusal{
        .kind = Kind::HardLinksBackup, .file = folder.PathOf(backup), .count = names};
  // A hidden temporary's name of this very file, which no run gives the image itself: one the
  // sweep keeps (another user's), named in the refusal so that the user can remove it.
  if (const std::string trial = TemporaryNameOf(m_existing); !trial.empty())
    return FileRefusal{.kind = Kind::HardLinksTrial, .file = folder.PathOf(trial), .count = names};
  return FileRefusal{.kind = Kind::HardLinks, .count = names};
}

bool SaveFile::StateHolds() const {
  const bool existing = m_existing.IsOpen();
  const bool temporary = m_temp.IsCreated();
  switch (m_state) {
    case State::New:
      return !existing && !temporary;
    case State::Prepared:
      return !temporary && (existing || !IsInPlace()) && !(existing && m_use == Use::NewNameOnly);
    case State::Begun:
      return temporary && !m_dryRun && (existing || !IsInPlace());
    case State::Placed:
      return m_temp.IsPlaced();
    case State::Failed:
      return true;
  }
  return false;
}

std::string SaveFile::BackupPath() const {
  return m_backupName.empty() ? std::string() : m_entry.folder.PathOf(m_backupName);
}

std::string SaveFile::BackupName(int number) const {
  std::string name = m_entry.name + ".bak";
  if (number > 0)
    name += "." + std::to_string(number);
  return name;
}

std::string SaveFile::TemporaryNameOf(const CFile& file) const {
  for (const std::string& name : NamesIn(m_entry.folder))
    if (IsTemporaryNameOf(name, m_entry.name) &&
        IdentityOf(m_entry.folder, name) == file.GetIdentity())
      return name;
  return {};
}

std::string SaveFile::BackupNameOf(const CFile& file) const {
  for (int number = 0; number < kBackupNames; ++number) {
    std::string name = BackupName(number);
    const auto identity = IdentityOf(m_entry.folder, name);
    if (identity == file.GetIdentity())
      return name;
    if (!identity)
      break;  // backups take the first free number
  }
  return {};
}

FileRefusal SaveFile::RefuseNewFile(FileRefusal refusal) const {
  if (!IsInPlace())
    return refusal;
  refusal.folder = m_entry.folder.Path().empty() ? "." : m_entry.folder.Path();
  refusal.advice = FileRefusal::Advice::PatchedCopy;
  return refusal;
}

FileRefusal SaveFile::RefuseAccess(FileRefusal refusal) const {
  refusal.advice = IsInPlace() ? FileRefusal::Advice::PatchedCopy : FileRefusal::Advice::OtherName;
  return refusal;
}

FileStatus SaveFile::CanCommit() const {
  const HeldFolder& folder = m_entry.folder;
  const CFile* existing = m_existing.IsOpen() ? &m_existing : nullptr;
  if (FileStatus allowed = RenameOverAllowed(folder, existing); !allowed)
    return allowed;
  if (m_use == Use::NewNameOnly && !FolderKeepsExistingNames(folder))
    return FileRefusal{.kind = Kind::CannotKeepExisting};
  if (!m_keepBackup || !existing || !m_backupName.empty())
    return {};
  // Whether a link truly works is tried in Begin, on the run's own temporary: a dry run
  // changes nothing, not even a folder's times, and the image never gets a trial name.
  if (!FolderHasHardLinks(folder))
    return FileRefusal{.kind = Kind::NoSecondNames};
  // The name the commit will give the backup: the first free one.
  for (int number = 0; number < kBackupNames; ++number) {
    const std::string name = BackupName(number);
    if (EntryExists(folder, name))
      continue;
    if (!NameFits(name))
      return FileRefusal{.kind = Kind::BackupNameTooLong, .file = name};
    return {};
  }
  return FileRefusal{.kind = Kind::EveryBackupNameTaken};
}

FileStatus SaveFile::Check() const {
  ExpectState(State::Prepared);
  if (const FileStatus takes = FolderTakesNewFile(m_entry.folder); !takes)
    return RefuseNewFile(takes.Why());
  if (m_existing.IsOpen()) {
    if (const FileStatus kept = m_existing.AccessCanBeTaken(); !kept)
      return RefuseAccess(kept.Why());
  }
  return CanCommit();
}

FileStatus SaveFile::Begin() {
  ExpectState(State::Prepared);
  m_state = State::Failed;  // until the temporary is made and the access taken
  // What would make the commit fail is refused before anything is written, in the order and
  // the words of the dry run's Check.
  if (const FileStatus takes = FolderTakesNewFile(m_entry.folder); !takes)
    return RefuseNewFile(takes.Why());
  if (FileStatus commits = CanCommit(); !commits)
    return commits;
  RemoveStaleTemporaries(m_entry.folder, m_entry.name);
  const bool replaces = m_existing.IsOpen();
  if (const FileStatus created =
          m_temp.Create(m_entry, replaces ? 0600 : m_newFilePermissions | 0600);
      !created)
    return RefuseNewFile(created.Why());
  // The replaced file's owner, group, attributes and mode, taken now so that what cannot be
  // kept is refused before anything is written, and again in Commit after the last write.
  if (replaces) {
    if (const FileStatus kept = m_temp.File().TakeAccessFrom(m_existing); !kept) {
      m_temp.Discard();
      return RefuseAccess(kept.Why());
    }
  }
  if (m_keepBackup && replaces && m_backupName.empty()) {
    if (const FileStatus linked = m_temp.ProveFurtherName(); !linked) {
      m_temp.Discard();
      return FileRefusal{.kind = Kind::NoSecondNames, .error = linked.Why().error};
    }
  }
  m_state = State::Begun;
  ExpectState(State::Begun);
  return {};
}

void SaveFile::LinkBackup() {
  for (int number = 0; number < kBackupNames; ++number) {
    std::string name = BackupName(number);
    const FileStatus linked = LinkFile(m_entry.folder, m_entry.name, name);
    if (linked) {
      m_backupName = name;
      return;
    }
    if (!IsNameTaken(linked))
      throw CFileException(FileAction::KeepBackup, m_entry.path, linked.Error());
  }
  throw CFileException(FileAction::KeepBackup, m_entry.path,
                       FileRefusal{.kind = Kind::EveryBackupNameTaken}.Words());
}

Placing SaveFile::PlacingOfRename() const {
  if (m_existing.IsOpen())
    return Placing::Replace;
  return m_use == Use::NewNameOnly ? Placing::NewNameKept : Placing::NewName;
}

std::optional<FileRefusal> SaveFile::Commit() {
  ExpectState(State::Begun);
  // Until the rename a throw leaves the save failed, with every file as it was.
  m_state = State::Failed;
  StopIfRequested();
  SealTemporary();
  PlaceTemporary();
  m_state = State::Placed;
  ExpectState(State::Placed);
  return ConfirmPlaced();
}

void SaveFile::SealTemporary() {
  CFile& file = m_temp.File();
  // Writing cleared the set-id bits and file capabilities taken in Begin (the kernel does so
  // on every write by an unprivileged caller, and drops capabilities on any write).
  if (m_existing.IsOpen()) {
    if (const FileStatus kept = file.TakeAccessFrom(m_existing); !kept)
      throw CFileException(FileAction::KeepAccess, m_entry.path, kept.Why().Words());
  } else {
    // Written with its owner's read and write bits; now no more than its model's.
    file.RestrictPermissions(m_newFilePermissions);
  }
  file.Sync();
  // The destination must still be the file checked and held since Prepare.
  if (m_existing.IsOpen() && IdentityOf(m_entry.folder, m_entry.name) != m_existing.GetIdentity())
    throw CFileException(FileAction::Replace, m_entry.path,
                         Tr("another file took its name during the run; nothing was changed"));
}

void SaveFile::PlaceTemporary() {
  // Known before the replaced file is let go (Windows lets go of it before the rename).
  const Placing placing = PlacingOfRename();
  // A backup name made here, as opposed to one found in Prepare.
  const bool linksBackup = m_keepBackup && m_existing.IsOpen() && m_backupName.empty();
  try {
    if (placing != Placing::Replace && m_temp.IsAnonymous()) {
      // A new name: the anonymous file takes it directly, so no death leaves a name behind.
      // A stop asked for until here is honoured: nothing has changed yet.
      StopIfRequested();
      if (const FileStatus named = m_temp.NameAs(m_entry.name); !named)
        throw CFileException(FileAction::Create, m_entry.path, named.Error());
    } else {
      // Named first, then the backup name, then the rename: a death between the last two
      // leaves the backup as a further name of the unchanged image, which the next run with
      // a backup takes as its own.
      const std::string& name = m_temp.GiveName(Existing());
      if (linksBackup)
        LinkBackup();
      ReleaseBeforeReplace(m_existing);
      // The last safe point: a stop after the rename is too late, and the run is done.
      StopIfRequested();
      MoveIntoPlace(m_entry, m_temp.File(), name, placing);
    }
  } catch (...) {
    // Not replaced: the backup name of the unchanged image goes again, once the image is let
    // go (Windows removes no name of a file held without sharing its deletion).
    m_existing.Abort();
    if (linksBackup && !m_backupName.empty()) {
      static_cast<void>(RemoveFile(m_entry.folder, m_backupName));  // the run fails already
      m_backupName.clear();
    }
    throw;
  }
  // The point of no return: the destination holds the new bytes.
  m_temp.Placed();
}

std::optional<FileRefusal> SaveFile::ConfirmPlaced() {
  // What fails from here on is a warning, never a failure of the run: the first one.
  std::string unconfirmed;
  try {
    m_temp.File().Close();
  } catch (const CFileException& e) {
    unconfirmed = e.what();
  }
  try {
    SyncFolder(m_entry);
  } catch (const CFileException& e) {
    if (unconfirmed.empty())
      unconfirmed = e.what();
  }
  m_existing.Abort();
  if (unconfirmed.empty())
    return std::nullopt;
  return FileRefusal{.kind = Kind::Unconfirmed, .file = m_entry.path, .detail = unconfirmed};
}

}  // namespace zarneth

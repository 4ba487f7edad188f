#pragma once

#include <cassert>
#include <optional>
#include <string>

#include "c_file.h"
#include "file_system.h"
#include "temporary_file.h"

namespace zarneth {

// What a save keeps, whatever happens (a failure, a full disk, a stop, a kill, a power cut
// after done). The sweep tests name the one they check.
//
//  1. Nothing changes before the rename. Until Commit renames the temporary over the
//     destination, every file the run names is exactly as it was: the new bytes are only in
//     the temporary, which has no name (Linux) or a hidden one of this destination's pattern.
//  2. After the rename, the destination is whole. The temporary was synced before it; what
//     fails after it (the folder's sync, the close) is a warning, never a failure, and a
//     report never says "nothing changed" when something did.
//  3. One folder. The destination's folder is walked once in Prepare and held; every later
//     call (open, create, link, rename, remove, sweep, sync) works relative to it.
//  4. One file. An existing destination (the image, in place) is held under an exclusive lock
//     from Prepare to the rename, and must still have the name at the rename.
//  5. Nothing left behind. The temporary goes on every way out but the commit; a kill leaves
//     at most a hidden temporary of this destination's pattern, which the next run removes,
//     and it removes nothing else: a regular file of exactly that name, the caller's, unheld.
//  6. Access kept. A replaced file's owner, group, mode, extended attributes and ACLs go to
//     the new file (taken in Begin, and again after the last write, which clears set-id bits
//     and capabilities); a new file is no more readable than the file it is made from.
//  7. No further names. No file gets a second name but the backup, made just before the
//     rename; a name the run made that cannot be removed again fails the run.
//  8. A dry run changes nothing. Check makes Begin's checks without creating, linking or
//     touching anything, not even a time stamp, and refuses in Begin's words.
//
// A save goes through these states (`State`, kept in a member that each call checks on the
// way in and out, as SQLite's pager keeps its own); each arrow is named by the call that
// makes it:
//
//      New --Prepare--> Prepared --Check--> (a dry run ends: nothing was made)
//                          |
//                        Begin: sweep, create the temporary, take the access, try a link
//                          v
//                        Begun (File().WriteAt... writes the temporary)
//                          |
//                        Commit: access again, sync, backup name, rename
//                          v
//                        Placed (the point of no return): close, folder sync
//
//   A call that fails leaves Failed, from which no arrow leads on. From any state but
//   Placed the destructor discards the temporary (invariant 5); a throw from Commit before
//   the rename leaves the files as they were (invariant 1).

// The one way a run changes a file, a patched copy, a cut and an image patched in place
// alike, in the manner of Qt's QSaveFile: the new bytes go to a temporary file in the
// destination's folder; Commit() syncs it, renames it over the destination and syncs the
// folder. Until the rename every file is as it was; destroyed without Commit(), the save
// file leaves nothing behind.
class SaveFile {
 public:
  enum class Use {
    NewFile,      // a patched copy or a cut: a new name, or a file to replace
    NewNameOnly,  // the same, but an existing file is refused and kept
    InPlace,      // the image itself, which is also read for the new content
  };

  SaveFile() = default;
  SaveFile(const SaveFile&) = delete;
  SaveFile& operator=(const SaveFile&) = delete;

  // Checks the destination before anything is written. The path is walked once
  // (ResolveEntry: a symbolic link is followed only as the kernel's protected-symlink rule
  // allows) and its folder held: every later step works in that folder. NewFile: a new name
  // in an existing folder, or a regular file with a write bit. InPlace: a regular file with a
  // write bit and one name only (other hard links would keep the old bytes). An existing
  // file is held exclusively from here to the rename, so no other run reads or writes it
  // meanwhile.
  FileStatus Prepare(const std::string& path, Use use);

  // The path Prepare was given, as the user gave it, for messages.
  const std::string& GivenPath() const { return m_givenPath; }

  // The existing destination, held since Prepare; none for a new name.
  CFile* Existing() { return m_existing.IsOpen() ? &m_existing : nullptr; }
  bool IsInPlace() const { return m_use == Use::InPlace; }

  // Removes temporaries of this destination that earlier, killed runs left, and creates
  // this run's own with the existing file's owner, mode and extended attributes.
  FileStatus Begin();

  // What Begin checks, made without creating or changing anything, for a dry run: that the
  // folder takes a new file, that the existing file's owner and attributes can be kept, that
  // the file system can give a backup its name and the rename can take place.
  FileStatus Check() const;

  // A dry run: Prepare holds the files as a real run does but removes nothing (not even a
  // killed run's temporaries), and Check takes the place of Begin and Commit. Asked before
  // Prepare.
  void DryRun() { m_dryRun = true; }
  bool IsDryRun() const { return m_dryRun; }

  // A new file (none replaced) is made with `model`'s permission bits, less the umask, as cp
  // makes a copy: an image only its owner may read gives a copy or a cut only they may
  // read. Without a model, 0666 less the umask. A replaced file keeps its own.
  void TakePermissionsOf(const CFile& model) { m_newFilePermissions = model.GetPermissions(); }

  // The temporary file to write, from Begin on.
  CFile& File() {
    assert(m_state == State::Begun);
    return m_temp.File();
  }

  // In place: at the commit, the image as it was keeps a name of its own, the first free of
  // "<image>.bak", "<image>.bak.1", "<image>.bak.2", ...; an existing file is never replaced.
  // It is a further name of the old image (a hard link), so it costs no copy. Asked before
  // Prepare: an image whose second name is such a backup (a run stopped in the instant
  // before its rename left it) is then taken, with that backup.
  void KeepBackup() { m_keepBackup = true; }
  // How many backup names there are, in the order they are taken: "<image>.bak",
  // "<image>.bak.1", ... up to "<image>.bak.999".
  static constexpr int kBackupNames = 1000;
  // The backup's path once the commit made it (or Prepare found it); empty otherwise.
  std::string BackupPath() const;

  // The last safe point, then: sync, rename over the destination (the point of no return),
  // sync the folder. A failure before the rename throws, with every file as it was. After
  // it the destination holds the new bytes whatever happens; the result is then none, or a
  // warning (Kind::Unconfirmed) that the system did not confirm they are on the disk.
  std::optional<FileRefusal> Commit();

 private:
  enum class State { New, Prepared, Begun, Placed, Failed };

  // Whether what `m_state` promises holds: which files are open, which are placed.
  bool StateHolds() const;
  void ExpectState([[maybe_unused]] State state) const { assert(m_state == state && StateHolds()); }

  // Prepare's part for a file that has the destination's name: held, writable, and for an
  // image in place with one name only, or a further name that is its backup.
  FileStatus HoldExisting();
  FileStatus TakeFurtherNames();
  // Commit's three parts: the temporary made final (its access, its sync, the destination
  // still the file held); its placing (backup name, rename), undone on a throw; then the
  // close and the folder's sync, whose failure is the warning returned.
  void SealTemporary();
  void PlaceTemporary();
  std::optional<FileRefusal> ConfirmPlaced();
  // Begin's and Check's refusals: the folder takes no new file, the access cannot be kept.
  FileRefusal RefuseNewFile(FileRefusal refusal) const;
  FileRefusal RefuseAccess(FileRefusal refusal) const;
  // The checks Begin and Check share, made without trying: a backup the file system cannot
  // make or name, a file or folder whose flags forbid the rename: a refusal with its reason.
  FileStatus CanCommit() const;
  std::string BackupName(int number) const;
  // The temporary's name of this destination that is a further name of `file`, if any.
  std::string TemporaryNameOf(const CFile& file) const;
  // The backup name that is a further name of `file`, if any; empty otherwise.
  std::string BackupNameOf(const CFile& file) const;
  // Gives the held image its backup name; throws CFileException.
  void LinkBackup();
  // How the commit's rename treats the final name.
  Placing PlacingOfRename() const;

  std::string m_givenPath;
  HeldEntry m_entry;  // the destination: its folder, held, its name, its path for messages
  std::string m_backupName;
  bool m_keepBackup = false;
  bool m_dryRun = false;
  Use m_use = Use::NewFile;
  unsigned m_newFilePermissions = 0666;
  CFile m_existing;
  TemporaryFile m_temp;  // after m_entry, whose folder it works in
  State m_state = State::New;
};

// Removes the temporaries that killed runs left beside `finalName` in `folder`: only a file
// named exactly ".<final name>.zarneth-XXXXXX.tmp", regular (not a link), owned by the user
// running, that no run holds. Nothing else, whatever its name.
void RemoveStaleTemporaries(const HeldFolder& folder, const std::string& finalName);

}  // namespace zarneth

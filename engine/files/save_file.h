#pragma once

#include <optional>
#include <string>

#include "c_file.h"
#include "file_system.h"
#include "temporary_file.h"

namespace zarneth {

// The one way a run changes a file, a patched copy, a cut and an image patched in place
// alike, in the manner of Qt's QSaveFile: the new bytes go to a temporary file in the
// destination's folder; Commit() syncs it, renames it over the destination and syncs the
// folder. Until the rename every file is as it was; destroyed without Commit(), the save
// file leaves nothing behind.
class SaveFile {
 public:
  enum class Use {
    NewFile,       // a patched copy or a cut: a new name, or a file to replace
    NewNameOnly,   // the same, but an existing file is refused and kept
    InPlace,       // the image itself, which is also read for the new content
    CheckInPlace,  // the checks of InPlace for a dry run: the image held, not opened to write
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
  bool Prepare(const std::string& path, Use use, std::string* whyNot);

  // The existing destination, held since Prepare; none for a new name.
  CFile* Existing() { return m_existing.IsOpen() ? &m_existing : nullptr; }
  bool IsInPlace() const { return m_use == Use::InPlace || m_use == Use::CheckInPlace; }

  // Removes temporaries of this destination that earlier, killed runs left, and creates
  // this run's own with the existing file's owner, mode and extended attributes.
  bool Begin(std::string* whyNot);

  // What Begin checks, made without creating or changing anything, for a dry run: that the
  // folder takes a new file, that the existing file's owner and attributes can be kept, that
  // the file system can give a backup its name and the rename can take place.
  bool Check(std::string* whyNot) const;

  // A new file (none replaced) is made with `model`'s permission bits, less the umask, as cp
  // makes a copy: an image only its owner may read gives a copy or a cut only they may
  // read. Without a model, 0666 less the umask. A replaced file keeps its own.
  void TakePermissionsOf(const CFile& model) { m_newFilePermissions = model.GetPermissions(); }

  // The temporary file to write, from Begin on.
  CFile& File() { return m_temp.File(); }

  // In place: at the commit, the image as it was keeps a name of its own, the first free of
  // "<image>.bak", "<image>.bak.1", "<image>.bak.2", ...; an existing file is never replaced.
  // It is a further name of the old image (a hard link), so it costs no copy. Asked before
  // Prepare: an image whose second name is such a backup (a run stopped in the instant
  // before its rename left it) is then taken, with that backup.
  void KeepBackup() { m_keepBackup = true; }
  // The backup's path once the commit made it (or Prepare found it); empty otherwise.
  std::string BackupPath() const;

  // The last safe point, then: sync, rename over the destination (the point of no return),
  // sync the folder. A failure before the rename throws, with every file as it was. After
  // it the destination holds the new bytes whatever happens; the result is then empty, or
  // a warning that the system did not confirm they are on the disk.
  std::string Commit();

 private:
  // Begin's and Check's refusals: the folder takes no new file, the access cannot be kept.
  bool RefuseNewFile(std::string* whyNot, const std::string& reason) const;
  bool RefuseAccess(std::string* whyNot, const std::string& notKept) const;
  // The checks Begin and Check share, made without trying: a backup the file system cannot
  // make or name, a file or folder whose flags forbid the rename. False with the reason.
  bool CanCommit(std::string* whyNot) const;
  // The backup names in the order they are taken: "<image>.bak", "<image>.bak.1", ...
  static constexpr int kBackupNames = 1000;
  std::string BackupName(int number) const;
  // The backup name that is a further name of `file`, if any; empty otherwise.
  std::string BackupNameOf(const CFile& file) const;
  // Gives the held image its backup name; throws CFileException.
  void LinkBackup();
  // How the commit's rename treats the final name.
  Placing PlacingOfRename() const;

  HeldEntry m_entry;  // the destination: its folder, held, its name, its path for messages
  std::string m_backupName;
  bool m_keepBackup = false;
  Use m_use = Use::NewFile;
  unsigned m_newFilePermissions = 0666;
  CFile m_existing;
  TemporaryFile m_temp;  // after m_entry, whose folder it works in
};

// Removes the temporaries that killed runs left beside `finalName` in `folder`: only a file
// named exactly ".<final name>.zarneth-XXXXXX.tmp", regular (not a link), owned by the user
// running, that no run holds. Nothing else, whatever its name.
void RemoveStaleTemporaries(const HeldFolder& folder, const std::string& finalName);
// The same beside the file `finalPath` leads to.
void RemoveStaleTemporaries(const std::string& finalPath);

}  // namespace zarneth

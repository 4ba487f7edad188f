#pragma once

// What the engine asks of the file system, one implementation per platform. A path is
// resolved once into a held folder and a name in it (ResolveEntry); every later call takes
// that folder. Paths and names are UTF-8 on every platform.

#include <optional>
#include <string>
#include <vector>

#include "c_file.h"
#include "file_refusal.h"
#include "held_folder.h"

namespace zarneth {

// What a last component that is a link to nothing means: a destination must lead to a file
// or a new name in an existing folder, so such a link is refused; a file to open may lead
// nowhere, which the open reports as a missing file.
enum class FinalLink { MustLead, MayDangle };

// Walks `path` one component at a time from a held descriptor, following each symbolic link
// on the way, in the folder part as at the end, only where the kernel's protected-symlink
// rule lets the caller follow it, whatever the machine's setting: in a sticky folder
// writable by all, only a link owned by the caller or by the folder's owner. Each folder is
// opened from the one before without following a link, and each link is judged by the very
// link it reads, so nothing swapped in meanwhile is followed; a link of /proc is taken one
// step by the kernel itself. The result holds the last folder and the last name in it,
// which is no link (or does not exist: a new name). Refused for a link the rule refuses, a
// folder on the way that is missing or no folder, a /proc link to a file at the end, and
// (MustLead) a dangling link. Windows walks the same way from held handles, each name
// opened as itself (a junction or symbolic link seen, not followed), and follows a link
// only where its owner is the caller or the owner of the folder holding it; each folder is
// held without sharing its deletion, so it cannot be renamed away while the run holds it.
FileResult<HeldEntry> ResolveEntry(const std::string& path, FinalLink finalLink);

// Whether `name` is short enough for a file name: 255 bytes (POSIX), 255 UTF-16 units
// (Windows).
bool NameFits(const std::string& name);

// Whether the caller can create a file in `folder`: refused for no write or search
// permission, a read-only file system, as far as the system says without trying (never on
// Windows, whose access lists say it only to a try).
FileStatus FolderTakesNewFile(const HeldFolder& folder);

// Whether the file system of `folder` gives a file further names (hard links), as it says
// without trying (vfat and its kin say a file has one name at most).
bool FolderHasHardLinks(const HeldFolder& folder);
// Whether a new name in `folder` can be given without ever replacing a file that has it, by
// a rename that refuses to replace or by a hard link, as the file system says without
// trying: not on a FUSE file system without hard links, whose servers take no such rename
// (a FUSE exFAT or vfat). Always on Windows.
bool FolderKeepsExistingNames(const HeldFolder& folder);

// Whether a file can be renamed into `folder` over `existing` (none: a new name), as the
// file system's flags say without trying: refused for an immutable or append-only file or
// folder (chattr +i, +a); never where the system keeps no such flags.
FileStatus RenameOverAllowed(const HeldFolder& folder, const CFile* existing);

// Whether the caller may write the file `name` in `folder`, held as `file`: refused as the
// system would refuse its open for writing (no permission, a read-only file system, an
// immutable or append-only file; POSIX). Never on Windows, where the read-only attribute
// says it (CFile::IsReadOnly).
FileStatus EntryWritable(const HeldFolder& folder, const std::string& name, const CFile& file);

// Whether anything has the name `name` in `folder` (a dangling link counts).
bool EntryExists(const HeldFolder& folder, const std::string& name);

// Which file `name` in `folder` is now, a link itself rather than what it leads to; none
// when nothing has the name.
std::optional<FileIdentity> IdentityOf(const HeldFolder& folder, const std::string& name);

// Which file `path` leads to now, as ResolveEntry finds it; none when it leads nowhere.
inline std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
  const auto entry = ResolveEntry(path, FinalLink::MayDangle);
  return entry ? IdentityOf(entry->folder, entry->name) : std::nullopt;
}

// The names in `folder`, for the sweep of stale temporaries; none when it cannot be read.
std::vector<std::string> NamesIn(const HeldFolder& folder);

// Whether a refused open found no file or no folder on its way.
bool IsMissing(const FileStatus& status);

// Removes the name `name` from `folder`, trying again where the system refuses at first: a
// name a run fails to remove is one it leaves behind. A name already gone is an error too.
FileStatus RemoveFile(const HeldFolder& folder, const std::string& name);

// Removes the file `file` holds open under `name` in `folder`, then closes it; never throws.
void RemoveHeldFile(CFile& file, const HeldFolder& folder, const std::string& name);

// How a rename treats what has the name it gives: replaces it; takes the name only while
// nothing has it, as far as the file system can say (a check just before a plain rename
// where it has neither a no-replace rename nor hard links); or takes it only while nothing
// has it for certain, a run asked to keep existing files (refused on such file systems).
enum class Placing { Replace, NewName, NewNameKept };

// Puts the file named `from` in the held entry's folder, open as `file`, in the place of the
// entry, in one step, as `placing` says (Windows renames by `file`'s handle, POSIX by the
// name). Throws CFileException naming the entry's path.
void MoveIntoPlace(const HeldEntry& to, const CFile& file, const std::string& from,
                   Placing placing);

// Gives the file named `from` in `folder` the further name `to` there (a hard link), only
// while nothing has the name `to` (refused with EEXIST or ERROR_ALREADY_EXISTS then).
FileStatus LinkFile(const HeldFolder& folder, const std::string& from, const std::string& to);
// Whether a refusal says that the name is taken.
bool IsNameTaken(const FileStatus& status);

// Lets go of a file about to be replaced where the system replaces no file held open
// (Windows); elsewhere it stays held through the rename.
void ReleaseBeforeReplace(CFile& file);

// Makes the entries of the held entry's folder (a rename, a new or a removed file) durable,
// the entry just renamed among them. Throws CFileException naming the entry's path when they
// cannot be synced.
void SyncFolder(const HeldEntry& entry);

}  // namespace zarneth

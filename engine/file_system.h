#pragma once

// What the engine asks of the file system by name, one implementation per platform. Paths
// are UTF-8 on every platform.

#include <optional>
#include <string>

#include "c_file.h"

namespace zarneth {

// The path of the file a name leads to, following each symbolic link on the way, in the
// folder part as at the end, only where the kernel's protected-symlink rule lets the caller
// follow it, whatever the machine's setting: in a sticky folder writable by all, only a link
// owned by the caller or by the folder's owner. The result holds no link. For a name that
// does not exist yet, the name itself. None, with the reason in `whyNot`, for a link the
// rule refuses and for a dangling link.
std::optional<std::string> FinalPath(const std::string& path, std::string* whyNot);

// The same for a file to open: every link on the way, in the folder part too, checked by
// that rule and replaced by what it leads to; a final link to nothing is left for the open
// to report as a missing file. Windows: the path as it is.
std::optional<std::string> PathWithoutLinks(const std::string& path, std::string* whyNot);

// Whether `path`'s last component is short enough for a file name: 255 bytes (POSIX), 255
// UTF-16 units (Windows).
bool NameFits(const std::string& path);

// Why the caller cannot create a file in `folder` (no write or search permission, a
// read-only file system), as far as the system says without trying; empty when it can
// (and always on Windows, whose access lists say it only to a try).
std::string WhyFolderTakesNoNewFile(const std::string& folder);

// Whether the file system of `folder` gives a file further names (hard links).
bool FolderHasHardLinks(const std::string& folder);

// Whether anything exists under `path` (a dangling link counts).
bool PathExists(const std::string& path);

// Which file `path` names now, a link itself rather than what it leads to; none when it
// names nothing.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// Removes the name `path`; 0, or the system's error number.
int RemoveFile(const std::string& path);

// Removes the file `file` holds open under its path, then closes it; never throws.
void RemoveHeldFile(CFile& file);

// Puts the file `from` in the place of `to` in one step: replacing what `to` names when
// `replaces`, otherwise only while nothing has the name `to`. Throws CFileException naming
// `to`.
void MoveIntoPlace(const std::string& from, const std::string& to, bool replaces);

// Gives the file `from` names the further name `to` (a hard link), only while nothing has
// the name `to`; 0, or the system's error number (EEXIST or ERROR_ALREADY_EXISTS when the
// name is taken).
int LinkFile(const std::string& from, const std::string& to);
// Whether LinkFile's error says that the name is taken.
bool IsNameTaken(int error);

// Lets go of a file about to be replaced where the system replaces no file held open
// (Windows); elsewhere it stays held through the rename.
void ReleaseBeforeReplace(CFile& file);

// Makes the folder's entries (a rename, a new or a removed file) durable. Throws
// CFileException naming `pathInFolder` when the folder cannot be synced.
void SyncFolderOf(const std::string& pathInFolder);

}  // namespace zarneth

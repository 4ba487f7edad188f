#pragma once

// What the engine asks of the file system by name, one implementation per platform. Paths
// are UTF-8 on every platform.

#include <optional>
#include <string>

#include "c_file.h"

namespace zarneth {

// The path of the file a name leads to, links followed; for a name that does not exist
// yet, the name itself. None for a dangling symbolic link, with the reason in `whyNot`.
std::optional<std::string> FinalPath(const std::string& path, std::string* whyNot);

// Whether anything exists under `path` (a dangling link counts).
bool PathExists(const std::string& path);

// Which file `path` names now; none when it names nothing.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// Removes the name `path`; 0, or the system's error number.
int RemoveFile(const std::string& path);

// Puts the file `from` in the place of `to` in one step, replacing what `to` named. Throws
// CFileException naming `to`.
void MoveIntoPlace(const std::string& from, const std::string& to);

// Makes the folder's entries (a rename, a new or a removed file) durable. Throws
// CFileException naming `pathInFolder` when the folder cannot be synced.
void SyncFolderOf(const std::string& pathInFolder);

}  // namespace zarneth

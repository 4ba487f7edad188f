#pragma once

#include <optional>
#include <string>

namespace zarneth {

// The path of the file a name leads to, symbolic links followed; for a name that does not
// exist yet, the name itself. None for a dangling symbolic link, with the reason in `whyNot`.
std::optional<std::string> FinalPath(const std::string& path, std::string* whyNot);

// The folder a path lies in ("." for a bare name) and its last component.
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);

// The undo journal of an in-place run on `imagePath`: a hidden file beside the image the
// name leads to, ".<image name>.zarneth-journal".
std::string JournalPathFor(const std::string& imagePath);

// Whether a name in a folder is one of the save file's temporary names,
// ".<name>.zarneth-XXXXXX.tmp".
bool IsTemporaryName(const std::string& name);
std::string TemporaryName(const std::string& finalPath, const std::string& unique);

// Whether anything exists under `path` (a dangling link counts).
bool PathExists(const std::string& path);

// Makes the folder's entries (a rename, a new or a removed file) durable. Throws
// CFileException naming `pathInFolder` when the folder cannot be synced.
void SyncFolderOf(const std::string& pathInFolder);

}  // namespace zarneth

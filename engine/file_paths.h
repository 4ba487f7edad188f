#pragma once

#include <filesystem>
#include <string>

namespace zarneth {

// The folder a path lies in ("." for a bare name) and its last component. On Windows both
// '\' and '/' separate components.
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);

// The undo journal of an in-place run on `imagePath`: a hidden file beside the image the
// name leads to, ".<image name>.zarneth-journal".
std::string JournalPathFor(const std::string& imagePath);

// Whether a name in a folder is one of the save file's temporary names,
// ".<name>.zarneth-XXXXXX.tmp".
bool IsTemporaryName(const std::string& name);
std::string TemporaryName(const std::string& finalPath, const std::string& unique);

// A UTF-8 path as std::filesystem takes it, and back: std::string alone would mean the
// ANSI code page on Windows.
std::filesystem::path PathFromUtf8(const std::string& path);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace zarneth

#pragma once

#include <filesystem>
#include <string>

namespace zarneth {

// The folder a path lies in ("." for a bare name) and its last component. On Windows both
// '\' and '/' separate components, and a drive's root ("C:\") is a folder.
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);

// The save file's named temporaries beside `finalPath`: ".<final name>.zarneth-XXXXXX.tmp",
// the X six characters drawn at random from [a-z0-9]. IsTemporaryNameOf says whether a name
// in the folder is exactly such a name for `finalName`, and nothing else.
std::string TemporaryName(const std::string& finalPath);
bool IsTemporaryNameOf(const std::string& name, const std::string& finalName);

// A UTF-8 path as std::filesystem takes it, and back: std::string alone would mean the
// ANSI code page on Windows.
std::filesystem::path PathFromUtf8(const std::string& path);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace zarneth

#pragma once

#include <cstddef>

#include <filesystem>
#include <string>

namespace zarneth {

// The folder a path lies in ("." for a bare name) and its last component. On Windows both
// '\' and '/' separate components, and a drive's root ("C:\") is a folder.
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);

// The longest file name every file system takes, in bytes of UTF-8 (ext4, XFS, btrfs: 255
// bytes; vfat, exFAT, NTFS: 255 UTF-16 units, never fewer than as many bytes).
inline constexpr std::size_t kMaxNameBytes = 255;

// The name of a save file's named temporary beside the final name `finalName`:
// ".<final name>.zarneth-XXXXXX.tmp", the X six characters drawn at random from [a-z0-9],
// the final name cut short where the whole would be longer than kMaxNameBytes.
// IsTemporaryNameOf says whether a name in the folder is exactly such a name for
// `finalName`, and nothing else.
std::string TemporaryNameFor(const std::string& finalName);
bool IsTemporaryNameOf(const std::string& name, const std::string& finalName);

// A UTF-8 path as std::filesystem takes it, and back: std::string alone would mean the
// ANSI code page on Windows.
std::filesystem::path PathFromUtf8(const std::string& path);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace zarneth

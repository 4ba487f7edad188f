#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace zarneth::test {

using Bytes = std::vector<unsigned char>;

// A fresh folder for one test, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return m_path; }
  // The UTF-8 path of `name` (UTF-8) in the folder.
  std::string operator/(const std::string& name) const;

 private:
  std::filesystem::path m_path;
};

// `count` bytes of a repeatable pattern that differs for each `seed`, so that a byte copied
// from the wrong offset or the wrong file shows.
Bytes Pattern(std::size_t count, unsigned seed);

// Paths are UTF-8, as the engine takes them.
void WriteBytes(const std::string& path, const Bytes& bytes);
Bytes ReadBytes(const std::string& path);

// The bytes [offset, offset + count) of `bytes`.
Bytes Slice(const Bytes& bytes, std::size_t offset, std::size_t count);
Bytes Concat(std::initializer_list<Bytes> parts);
// The CRC-32 of `bytes` (zlib's), as messages write it: "0x1A2B3C4D".
std::string CrcOf(const Bytes& bytes);

// Every entry of a folder, hidden ones too: regular files with their bytes, a symbolic link
// as the text of its target, a folder or anything else as nothing. Two listings are equal
// exactly when no entry appeared, went or changed.
using FolderListing = std::map<std::string, Bytes>;
FolderListing ListFolder(const std::filesystem::path& folder);

}  // namespace zarneth::test

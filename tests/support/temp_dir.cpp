#include "temp_dir.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

#include "file_paths.h"

namespace zarneth::test {

std::string TempDir::operator/(const std::string& name) const {
  return Utf8FromPath(m_path / PathFromUtf8(name));
}

TempDir::TempDir() {
  static std::mt19937_64 generator{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    m_path = std::filesystem::temp_directory_path() /
             ("zarneth-test-" + std::to_string(generator() % 1000000000));
    // Made with the owner's rights only, as mkdtemp does; false when the name is taken.
    if (std::filesystem::create_directory(m_path)) {
      std::filesystem::permissions(m_path, std::filesystem::perms::owner_all);
      return;
    }
  }
  throw std::runtime_error("no unused name for a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Tests make files read-only; give write bits back so removal cannot be refused.
  for (auto it = std::filesystem::recursive_directory_iterator(m_path, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    if (!it->is_symlink(ignored))
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
  }
  std::filesystem::remove_all(m_path, ignored);
}

Bytes Pattern(std::size_t count, unsigned seed) {
  Bytes bytes(count);
  std::uint32_t state = seed * 2654435761u + 12345u;
  for (auto& b : bytes) {
    state = state * 1103515245u + 12345u;
    b = static_cast<unsigned char>(state >> 16);
  }
  return bytes;
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(PathFromUtf8(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out)
    throw std::runtime_error("cannot write test file " + path);
}

Bytes ReadBytes(const std::string& path) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary | std::ios::ate);
  if (!in)
    throw std::runtime_error("cannot read test file " + path);
  Bytes bytes(static_cast<std::size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

Bytes Slice(const Bytes& bytes, std::size_t offset, std::size_t count) {
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
               bytes.begin() + static_cast<std::ptrdiff_t>(offset + count));
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const auto& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::string CrcOf(const Bytes& bytes) {
  const auto crc = ::crc32(0, bytes.data(), static_cast<uInt>(bytes.size()));
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(crc));
  return text;
}

FolderListing ListFolder(const std::filesystem::path& folder) {
  FolderListing listing;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = Utf8FromPath(entry.path().filename());
    if (entry.is_symlink()) {
      const std::string target = std::filesystem::read_symlink(entry.path()).string();
      listing["link " + name] = Bytes(target.begin(), target.end());
    } else if (entry.is_regular_file()) {
      listing[name] = ReadBytes(Utf8FromPath(entry.path()));
    } else {
      listing["other " + name] = {};
    }
  }
  return listing;
}

}  // namespace zarneth::test

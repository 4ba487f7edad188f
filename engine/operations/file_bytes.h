#pragma once

// Bytes of files as the searches read them: an image or a block read by offset through a
// few buffers, and a block held whole in memory where it is small enough, read from its
// file piece by piece where it is not. No buffer grows with a file.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "c_file.h"

namespace zarneth {

// Thrown where a file gives fewer bytes than it held when it was measured: it changed
// under the run. `at` is where its bytes ended, `wanted` how far they were needed.
struct FileEnded {
  const CFile* file;
  std::uint64_t at;
  std::uint64_t wanted;
};

// The bytes of the first `length` bytes of a file by offset, read a piece at a time into one
// of a few buffers, so that a search may walk two places of one file at once. Each piece
// read looks for a stop request first (RunStopped); a read that comes up short throws
// FileEnded.
class FileBytes {
 public:
  static constexpr unsigned kPieceShift = 18;  // pieces of 256 KiB
  static constexpr std::uint64_t kPieceSize = std::uint64_t{1} << kPieceShift;

  FileBytes(CFile& file, std::uint64_t length);
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;

  std::uint64_t Length() const { return m_length; }
  unsigned char operator[](std::uint64_t offset) const {
    const std::uint64_t piece = offset >> kPieceShift;
    const Buffer& last = m_buffers[m_last];
    if (last.piece == piece)
      return last.bytes[offset & (kPieceSize - 1)];
    return Load(piece)[offset & (kPieceSize - 1)];
  }
  // Copies `out.size()` bytes from `offset` (inside the length) into `out`.
  void Copy(std::uint64_t offset, std::span<unsigned char> out) const;

 private:
  struct Buffer {
    std::uint64_t piece = ~std::uint64_t{0};
    std::unique_ptr<unsigned char[]> bytes;
  };
  const unsigned char* Load(std::uint64_t piece) const;

  CFile& m_file;
  std::uint64_t m_length;
  mutable std::array<Buffer, 4> m_buffers;
  mutable std::size_t m_last = 0;
  mutable std::size_t m_next = 0;  // the buffer the next load takes, round robin
};

// A block to look for: held in memory up to kHeldBlockBytes, read through FileBytes beyond.
class BlockBytes {
 public:
  static constexpr std::uint64_t kHeldBlockBytes = 2u << 20;

  // Reads `file` to its end, whatever its size says: held where it ends within
  // kHeldBlockBytes, else only measured (up to just past 32-bit offsets, which the caller
  // refuses). Throws RunStopped on a stop request.
  explicit BlockBytes(CFile& file);

  std::uint64_t Length() const { return m_length; }
  bool Held() const { return !m_file; }
  // The bytes, where held.
  std::span<const unsigned char> HeldBytes() const { return m_held; }
  // The file, where not held.
  const FileBytes& File() const { return *m_file; }
  unsigned char operator[](std::uint64_t offset) const {
    return m_file ? (*m_file)[offset] : m_held[offset];
  }
  void Copy(std::uint64_t offset, std::span<unsigned char> out) const;

 private:
  std::uint64_t m_length = 0;
  std::vector<unsigned char> m_held;
  std::unique_ptr<FileBytes> m_file;
};

// Bytes in memory by offset, as the searches read them.
struct HeldBytes {
  const unsigned char* bytes;
  unsigned char operator[](std::uint64_t offset) const { return bytes[offset]; }
};

}  // namespace zarneth

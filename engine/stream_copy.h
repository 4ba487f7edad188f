#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "c_file.h"

namespace zarneth {

// The largest piece the system is asked to copy at once; between pieces a run can stop.
inline constexpr std::uint32_t kCopyPieceSize = 8u << 20;
// The one working buffer of a copy that goes through user memory (a file system that cannot
// copy by itself, or a copy that is summed on the way).
inline constexpr std::uint32_t kCutBufferSize = 80000;

// Copies `count` bytes of `from` at `fromOffset` to `to` at `toOffset`, in bounded pieces:
// the system copies by itself where it can (CopyInSystem), falling back
// to reads and writes through one buffer of kCutBufferSize. With `crc`, every byte goes
// through the buffer and is added to that CRC-32. Returns the bytes copied: fewer than
// `count` only where `from` ends early. When `stoppable`, it throws RunStopped between pieces
// once a stop is requested. Memory use does not grow with `count`.
std::uint64_t CopyBytes(CFile& from, std::uint64_t fromOffset, CFile& to, std::uint64_t toOffset,
                        std::uint64_t count, std::uint32_t* crc = nullptr, bool stoppable = true);

// Adds `bytes` to a CRC-32 (zlib's).
std::uint32_t UpdateCrc(std::uint32_t crc, std::span<const unsigned char> bytes);

// Reads `count` bytes of `file` at `offset` in pieces of kCutBufferSize, hands each piece
// with its offset to `each` (if given) and returns their CRC-32; fewer bytes where the file
// ends early, counted in `got`.
std::uint32_t FileCrc(
    CFile& file, std::uint64_t offset, std::uint64_t count, std::uint64_t& got,
    const std::function<void(std::uint64_t, std::span<const unsigned char>)>& each = {});

}  // namespace zarneth

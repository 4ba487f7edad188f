#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "c_file.h"

namespace zarneth {

// Where bytes read go, with the offset of the first of them: a range shown, a window of an
// image scanned. (The operations' public RangeSink is this very type.)
using ByteSink = std::function<void(std::uint64_t at, std::span<const unsigned char>)>;

// The largest piece the system is asked to copy at once; between pieces a run can stop.
inline constexpr std::uint32_t kCopyPieceSize = 8u << 20;
// The one working buffer of every copy that goes through the program's memory: a file system
// that cannot copy by itself, a copy that is summed on the way, a range handed to a sink.
inline constexpr std::uint32_t kCopyBufferSize = 80000;

// Reads `count` bytes of `from` at `offset` through one buffer of kCopyBufferSize, adds each
// piece to the CRC-32 `crc` and hands it, with its offset in `from`, to `sink` (if any). Returns
// the bytes read: fewer than `count` only where `from` ends early. Throws RunStopped between pieces
// once a stop is requested. Memory use does not grow with `count`.
std::uint64_t CopyThroughBuffer(CFile& from, std::uint64_t offset, std::uint64_t count,
                                std::uint32_t& crc, const ByteSink& sink);

// Whether a copy's bytes go into a CRC-32 on the way.
enum class Summing { None, IntoCrc };

// Copies `count` bytes of `from` at `fromOffset` to `to` at `toOffset`, in bounded pieces:
// the system copies by itself where it can (CopyInSystem), falling back to
// CopyThroughBuffer. Summed, every byte goes through the buffer and is added to `crc`.
// Returns the bytes copied: fewer than `count` only where `from` ends early. Throws
// RunStopped between pieces once a stop is requested.
std::uint64_t CopyBytes(CFile& from, std::uint64_t fromOffset, CFile& to, std::uint64_t toOffset,
                        std::uint64_t count, Summing summing, std::uint32_t& crc);

// Adds `bytes` to a CRC-32 (zlib's).
std::uint32_t UpdateCrc(std::uint32_t crc, std::span<const unsigned char> bytes);

}  // namespace zarneth

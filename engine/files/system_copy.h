#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "c_file.h"

namespace zarneth {

// The system's own copy between two open files, the bytes never passing through the program
// (copy_file_range on Linux; file systems that can share blocks do so). Copies up to `count`
// bytes and returns how many, 0 where `from` ends. None when the system cannot copy between
// these two files; the caller then copies through a buffer. Other errors throw
// CFileException.
std::optional<std::uint64_t> CopyInSystem(CFile& from, std::uint64_t fromOffset, CFile& to,
                                          std::uint64_t toOffset, std::size_t count);

// Makes `to`, a new empty file, a clone of the whole of `from` where the file system shares
// blocks between files (FICLONE on btrfs and XFS): no byte is copied. False where it cannot
// (another file system, a kernel without the call; Windows); other errors throw
// CFileException.
bool CloneInSystem(CFile& from, CFile& to);

}  // namespace zarneth

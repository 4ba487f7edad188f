#pragma once

#include <sys/types.h>

#include <cstddef>

namespace zarneth {

// The system calls through which CFile moves bytes. Tests replace them to make a read come
// up short or fail, or a write fail with ENOSPC, without needing a special disk.
struct PosixCalls {
  ssize_t (*read)(int fd, void* buffer, std::size_t count);
  ssize_t (*write)(int fd, const void* buffer, std::size_t count);
};

// The calls in force; the real ones unless a test swapped them.
PosixCalls& ActivePosixCalls();

// Swaps in other calls for its lifetime and restores the previous ones after.
class ScopedPosixCalls {
 public:
  explicit ScopedPosixCalls(PosixCalls replacement);
  ~ScopedPosixCalls();
  ScopedPosixCalls(const ScopedPosixCalls&) = delete;
  ScopedPosixCalls& operator=(const ScopedPosixCalls&) = delete;

 private:
  PosixCalls m_saved;
};

}  // namespace zarneth

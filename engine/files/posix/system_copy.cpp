#include "system_copy.h"

#include <cerrno>

#include "posix_calls.h"
#include "words.h"

namespace zarneth {
namespace {

// Errors after which copy_file_range cannot help with these two files, but reads and writes
// still can: different file systems, a kernel or file system without the call.
bool KernelCopyUnavailable(int error) {
  return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP ||
         error == EBADF;
}

}  // namespace

std::optional<std::uint64_t> CopyInSystem(CFile& from, std::uint64_t fromOffset, CFile& to,
                                          std::uint64_t toOffset, std::size_t count) {
  off_t fromAt = static_cast<off_t>(fromOffset);
  off_t toAt = static_cast<off_t>(toOffset);
  const ssize_t n = sys::CopyFileRange(static_cast<int>(from.GetHandle()), &fromAt,
                                       static_cast<int>(to.GetHandle()), &toAt, count);
  if (n >= 0)
    return static_cast<std::uint64_t>(n);
  if (KernelCopyUnavailable(errno))
    return std::nullopt;
  to.Fail(FileAction::Write, errno);
}

bool CloneInSystem(CFile& from, CFile& to) {
  if (sys::Clone(static_cast<int>(to.GetHandle()), static_cast<int>(from.GetHandle())) == 0)
    return true;
  // ENOTTY, EOPNOTSUPP: no shared blocks here; EXDEV: two file systems.
  if (KernelCopyUnavailable(errno) || errno == ENOTTY)
    return false;
  to.Fail(FileAction::Write, errno);
}

}  // namespace zarneth

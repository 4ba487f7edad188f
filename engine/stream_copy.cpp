#include "stream_copy.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "posix_calls.h"
#include "stop_request.h"

namespace zarneth {
namespace {

// Errors after which copy_file_range cannot help with these two files, but reads and writes
// still can: different file systems, a kernel or file system without the call.
bool KernelCopyUnavailable(int error) {
  return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP ||
         error == EBADF;
}

std::uint32_t UpdateCrc(std::uint32_t crc, const unsigned char* bytes, std::uint32_t count) {
  return static_cast<std::uint32_t>(::crc32(crc, bytes, count));
}

}  // namespace

std::uint64_t CopyBytes(CFile& from, std::uint64_t fromOffset, CFile& to, std::uint64_t toOffset,
                        std::uint64_t count, std::uint32_t* crc, bool stoppable) {
  std::uint64_t done = 0;
  bool kernelCopy = crc == nullptr;
  while (kernelCopy && done < count) {
    if (stoppable)
      StopIfRequested();
    off_t fromAt = static_cast<off_t>(fromOffset + done);
    off_t toAt = static_cast<off_t>(toOffset + done);
    const auto piece =
        static_cast<std::size_t>(std::min<std::uint64_t>(count - done, kCopyPieceSize));
    const ssize_t n = sys::CopyFileRange(from.GetHandle(), &fromAt, to.GetHandle(), &toAt, piece);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      if (done == 0 && KernelCopyUnavailable(errno)) {
        kernelCopy = false;
        break;
      }
      to.Fail("write", errno);
    }
    if (n == 0)
      return done;  // `from` ended early
    done += static_cast<std::uint64_t>(n);
  }
  if (done == count)
    return done;

  const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(kCutBufferSize);
  while (done < count) {
    if (stoppable)
      StopIfRequested();
    const auto piece =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(count - done, kCutBufferSize));
    const std::uint32_t got = from.ReadAt(fromOffset + done, buffer.get(), piece);
    if (crc)
      *crc = UpdateCrc(*crc, buffer.get(), got);
    to.WriteAt(toOffset + done, buffer.get(), got);
    done += got;
    if (got < piece)
      break;
  }
  return done;
}

std::uint32_t FileCrc(CFile& file, std::uint64_t offset, std::uint64_t count, std::uint64_t& got) {
  const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(kCutBufferSize);
  std::uint32_t crc = 0;
  got = 0;
  while (got < count) {
    const auto piece =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(count - got, kCutBufferSize));
    const std::uint32_t n = file.ReadAt(offset + got, buffer.get(), piece);
    crc = UpdateCrc(crc, buffer.get(), n);
    got += n;
    if (n < piece)
      break;
  }
  return crc;
}

}  // namespace zarneth

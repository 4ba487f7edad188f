#include "stream_copy.h"

#include <zlib.h>

#include <algorithm>
#include <memory>

#include "stop_request.h"
#include "system_copy.h"

namespace zarneth {
std::uint32_t UpdateCrc(std::uint32_t crc, std::span<const unsigned char> bytes) {
  return static_cast<std::uint32_t>(::crc32(crc, bytes.data(), static_cast<uInt>(bytes.size())));
}

std::uint64_t CopyBytes(CFile& from, std::uint64_t fromOffset, CFile& to, std::uint64_t toOffset,
                        std::uint64_t count, std::uint32_t* crc, bool stoppable) {
  std::uint64_t done = 0;
  // A summed copy must see every byte; the system's copy shows none.
  bool systemCopy = crc == nullptr;
  while (systemCopy && done < count) {
    if (stoppable)
      StopIfRequested();
    const auto piece =
        static_cast<std::size_t>(std::min<std::uint64_t>(count - done, kCopyPieceSize));
    const auto n = CopyInSystem(from, fromOffset + done, to, toOffset + done, piece);
    if (!n)
      break;
    if (*n == 0)
      return done;  // `from` ended early
    done += *n;
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
      *crc = UpdateCrc(*crc, {buffer.get(), got});
    to.WriteAt(toOffset + done, buffer.get(), got);
    done += got;
    if (got < piece)
      break;
  }
  return done;
}

std::uint32_t FileCrc(
    CFile& file, std::uint64_t offset, std::uint64_t count, std::uint64_t& got,
    const std::function<void(std::uint64_t, std::span<const unsigned char>)>& each) {
  const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(kCutBufferSize);
  std::uint32_t crc = 0;
  got = 0;
  while (got < count) {
    const auto piece =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(count - got, kCutBufferSize));
    const std::uint32_t n = file.ReadAt(offset + got, buffer.get(), piece);
    const std::span<const unsigned char> bytes(buffer.get(), n);
    crc = UpdateCrc(crc, bytes);
    if (each)
      each(offset + got, bytes);
    got += n;
    if (n < piece)
      break;
  }
  return crc;
}

}  // namespace zarneth

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

std::uint64_t CopyThroughBuffer(CFile& from, std::uint64_t offset, std::uint64_t count,
                                std::uint32_t& crc, const ByteSink& sink) {
  const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(kCopyBufferSize);
  std::uint64_t done = 0;
  while (done < count) {
    StopIfRequested();
    const auto piece =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(count - done, kCopyBufferSize));
    const std::uint32_t got = from.ReadAt(offset + done, buffer.get(), piece);
    const std::span<const unsigned char> bytes(buffer.get(), got);
    crc = UpdateCrc(crc, bytes);
    if (sink)
      sink(offset + done, bytes);
    done += got;
    if (got < piece)
      break;
  }
  return done;
}

std::uint64_t CopyBytes(CFile& from, std::uint64_t fromOffset, CFile& to, std::uint64_t toOffset,
                        std::uint64_t count, Summing summing, std::uint32_t& crc) {
  std::uint64_t done = 0;
  // A summed copy must see every byte; the system's copy shows none.
  bool systemCopy = summing == Summing::None;
  while (systemCopy && done < count) {
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
  std::uint32_t unsummed = 0;
  return done + CopyThroughBuffer(from, fromOffset + done, count - done,
                                  summing == Summing::IntoCrc ? crc : unsummed,
                                  [&](std::uint64_t at, std::span<const unsigned char> bytes) {
                                    to.WriteAt(toOffset + (at - fromOffset), bytes.data(),
                                               static_cast<std::uint32_t>(bytes.size()));
                                  });
}

}  // namespace zarneth

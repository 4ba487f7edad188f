#include "file_bytes.h"

#include <algorithm>
#include <cstring>

#include "stop_request.h"

namespace zarneth {

FileBytes::FileBytes(CFile& file, std::uint64_t length) : m_file(file), m_length(length) {}

const unsigned char* FileBytes::Load(std::uint64_t piece) const {
  for (std::size_t i = 0; i < m_buffers.size(); ++i) {
    if (m_buffers[i].piece == piece) {
      m_last = i;
      return m_buffers[i].bytes.get();
    }
  }
  StopIfRequested();
  Buffer& buffer = m_buffers[m_next];
  if (!buffer.bytes)
    buffer.bytes = std::make_unique_for_overwrite<unsigned char[]>(kPieceSize);
  const std::uint64_t offset = piece << kPieceShift;
  const auto wanted =
      static_cast<std::uint32_t>(std::min(kPieceSize, m_length > offset ? m_length - offset : 0));
  buffer.piece = ~std::uint64_t{0};
  const std::uint32_t got = m_file.ReadAt(offset, buffer.bytes.get(), wanted);
  if (got < wanted)
    throw FileEnded{&m_file, offset + got, offset + wanted};
  buffer.piece = piece;
  m_last = m_next;
  m_next = (m_next + 1) % m_buffers.size();
  return buffer.bytes.get();
}

void FileBytes::Copy(std::uint64_t offset, std::span<unsigned char> out) const {
  std::size_t done = 0;
  while (done < out.size()) {
    const std::uint64_t at = offset + done;
    const std::uint64_t within = at & (kPieceSize - 1);
    const auto count =
        static_cast<std::size_t>(std::min<std::uint64_t>(out.size() - done, kPieceSize - within));
    const unsigned char* piece = Load(at >> kPieceShift);
    std::memcpy(out.data() + done, piece + within, count);
    done += count;
  }
}

BlockBytes::BlockBytes(CFile& file) {
  // Reads into memory until the file ends or passes what is held; past that, only counts.
  constexpr std::uint32_t kRead = 256u << 10;
  std::vector<unsigned char> scratch;
  m_held.reserve(kHeldBlockBytes + kRead);
  // Past 32-bit offsets the caller refuses it: counting stops there.
  while (m_length <= 0xFFFFFFFFu) {
    StopIfRequested();
    std::uint32_t got = 0;
    if (m_length <= kHeldBlockBytes) {
      m_held.resize(m_length + kRead);
      got = file.ReadAt(m_length, m_held.data() + m_length, kRead);
      m_held.resize(m_length + got);
    } else {
      scratch.resize(kRead);
      got = file.ReadAt(m_length, scratch.data(), kRead);
    }
    m_length += got;
    if (got < kRead)
      break;
  }
  if (m_length > kHeldBlockBytes) {
    m_held.clear();
    m_held.shrink_to_fit();
    m_file = std::make_unique<FileBytes>(file, m_length);
  } else {
    m_held.shrink_to_fit();
  }
}

void BlockBytes::Copy(std::uint64_t offset, std::span<unsigned char> out) const {
  if (m_file)
    m_file->Copy(offset, out);
  else
    std::memcpy(out.data(), m_held.data() + offset, out.size());
}

}  // namespace zarneth

#include "journal.h"

#include <array>
#include <cstring>
#include <optional>
#include <stdexcept>

#include <zlib.h>

#include "file_paths.h"
#include "file_system.h"
#include "stream_copy.h"

namespace zarneth {
namespace {

constexpr char kMagic[8] = {'Z', 'A', 'R', 'N', 'J', 'R', 'N', 'L'};
constexpr std::uint32_t kVersion = 1;
constexpr std::uint32_t kHeaderSize = 48;
using Header = std::array<unsigned char, kHeaderSize>;

struct Record {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  std::uint64_t imageLength = 0;
  std::uint32_t bytesCrc = 0;
};

void Put(Header& header, std::size_t at, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    header[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint64_t Get(const Header& header, std::size_t at, int bytes) {
  std::uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i)
    value = (value << 8) | header[at + static_cast<std::size_t>(i)];
  return value;
}

std::uint32_t HeaderCrc(const Header& header) {
  return static_cast<std::uint32_t>(::crc32(0, header.data(), 44));
}

Header Encode(const Record& record) {
  Header header{};
  std::memcpy(header.data(), kMagic, sizeof kMagic);
  Put(header, 8, kVersion, 4);
  Put(header, 12, kHeaderSize, 4);
  Put(header, 16, record.offset, 8);
  Put(header, 24, record.length, 8);
  Put(header, 32, record.imageLength, 8);
  Put(header, 40, record.bytesCrc, 4);
  Put(header, 44, HeaderCrc(header), 4);
  return header;
}

// The record of a journal whose header is whole and consistent, else none.
std::optional<Record> Decode(const Header& header) {
  if (std::memcmp(header.data(), kMagic, sizeof kMagic) != 0 || Get(header, 8, 4) != kVersion ||
      Get(header, 12, 4) != kHeaderSize || Get(header, 44, 4) != HeaderCrc(header))
    return std::nullopt;
  Record record{Get(header, 16, 8), Get(header, 24, 8), Get(header, 32, 8),
                static_cast<std::uint32_t>(Get(header, 40, 4))};
  if (record.offset + record.length > record.imageLength || record.length > 0xFFFFFFFFu)
    return std::nullopt;
  return record;
}

// Removes a journal file for good: once gone, it must not come back after a power cut.
void RemoveJournal(CFile& journal, const std::string& path) {
  journal.Close();
  if (const int error = RemoveFile(path))
    throw CFileException("remove", path, error);
  SyncFolderOf(path);
}

}  // namespace

InPlaceJournal::InPlaceJournal(CFile& image) : m_image(image) {}

InPlaceJournal::~InPlaceJournal() = default;

bool InPlaceJournal::Begin(std::uint64_t offset, std::uint32_t length, std::string* whyNot) {
  m_path = JournalPathFor(m_image.GetFilePath());
  if (!m_journal.CreateNew(m_path, 0600, whyNot))
    return false;
  m_active = true;
  m_offset = offset;
  m_length = length;
  try {
    Record record{offset, length, m_image.GetLength(), 0};
    if (CopyBytes(m_image, offset, m_journal, kHeaderSize, length, &record.bytesCrc) < length)
      m_image.Fail("read", kErrorIo);  // the range was checked inside the locked image
    const Header header = Encode(record);
    m_journal.WriteAt(0, header.data(), kHeaderSize);
    m_journal.Sync();
    SyncFolderOf(m_path);
  } catch (...) {
    // The image is untouched: the journal has nothing to undo.
    m_active = false;
    m_journal.Abort();
    RemoveFile(m_path);
    throw;
  }
  return true;
}

void InPlaceJournal::Finish() {
  RemoveJournal(m_journal, m_path);
  m_active = false;
}

void InPlaceJournal::PlayBack() {
  if (!m_active)
    return;
  if (CopyBytes(m_journal, kHeaderSize, m_image, m_offset, m_length, nullptr, false) < m_length)
    m_journal.Fail("read", kErrorIo);
  m_image.Sync();
  Finish();
}

JournalSettlement SettleJournal(CFile& image) {
  const std::string path = JournalPathFor(image.GetFilePath());
  if (!PathExists(path))
    return {};
  CFile journal;
  std::string whyNot;
  if (!journal.Open(path, CFile::modeRead | CFile::shareExclusive, &whyNot))
    throw std::runtime_error("cannot open the undo journal " + path + ": " + whyNot);

  Header header{};
  const std::uint32_t got = journal.ReadAt(0, header.data(), kHeaderSize);
  const auto record = got == kHeaderSize ? Decode(header) : std::nullopt;
  bool complete = record && journal.GetLength() == kHeaderSize + record->length;
  if (complete) {
    std::uint64_t summed = 0;
    complete = FileCrc(journal, kHeaderSize, record->length, summed) == record->bytesCrc &&
               summed == record->length;
  }
  if (!complete) {
    RemoveJournal(journal, path);
    return {JournalState::TornRemoved};
  }

  JournalSettlement settlement{JournalState::PlayedBack, record->offset, record->length,
                               record->imageLength};
  if (image.GetLength() != record->imageLength) {
    settlement.state = JournalState::Mismatch;
    return settlement;
  }
  CopyBytes(journal, kHeaderSize, image, record->offset, record->length, nullptr, false);
  image.Sync();
  RemoveJournal(journal, path);
  return settlement;
}

}  // namespace zarneth

#pragma once

#include <cstdint>
#include <string>

#include "c_file.h"

namespace zarneth {

// The undo journal of an in-place run: the image's bytes that the run is about to overwrite,
// saved beside the image and synced before the image is touched. A run that dies while the
// image holds part old and part new bytes leaves the journal behind; the next run that opens
// the image plays it back, and the image is exactly as it was before.
//
// Layout, little-endian, version 1:
//   0  magic "ZARNJRNL"           8 bytes
//   8  format version             u32 (1)
//  12  header size                u32 (48)
//  16  offset in the image        u64
//  24  saved length               u64
//  32  image length when saved    u64
//  40  CRC-32 of the saved bytes  u32
//  44  CRC-32 of bytes 0..43      u32
//  48  the saved bytes
// The header is written after the bytes, so a journal torn by a crash while it was written
// (when the image was not yet touched) fails its checks and is only removed.
class InPlaceJournal {
 public:
  explicit InPlaceJournal(CFile& image);
  ~InPlaceJournal();
  InPlaceJournal(const InPlaceJournal&) = delete;
  InPlaceJournal& operator=(const InPlaceJournal&) = delete;

  // Saves `length` bytes of the image at `offset` and makes the journal durable. False with
  // a reason when the journal cannot be created; a file error while writing it throws, and
  // the half-written journal is removed again.
  bool Begin(std::uint64_t offset, std::uint32_t length, std::string* whyNot);

  // The image's new bytes are synced: the journal goes, durably.
  void Finish();

  // Puts the saved bytes back into the image, syncs it and removes the journal. Never stops
  // on a stop request: it is what a stop does.
  void PlayBack();

  const std::string& GetPath() const { return m_path; }

 private:
  CFile& m_image;
  std::string m_path;
  CFile m_journal;
  std::uint64_t m_offset = 0;
  std::uint32_t m_length = 0;
  bool m_active = false;  // the journal exists and belongs to this run
};

// What settling a journal found.
enum class JournalState {
  None,         // no journal
  PlayedBack,   // a complete journal: the image is back to what it was before the run
  TornRemoved,  // a journal torn before the image was touched: removed
  Mismatch,     // a journal of an image of another length: nothing changed
};

struct JournalSettlement {
  JournalState state = JournalState::None;
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  std::uint64_t savedImageLength = 0;
};

// Settles the journal of the image open in `image` (held exclusively, for writing).
JournalSettlement SettleJournal(CFile& image);

}  // namespace zarneth

#pragma once

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>

namespace zarneth::cli {

// The usual hex dump, 16 bytes a line: the address, the bytes in hex in two groups of eight,
// and the printable ones between bars, as `hexdump -C` writes it:
//   001cd800  5a 41 52 4e 45 54 48 00  01 02 03 04 05 06 07 08  |ZARNETH.........|
// As there, a full line equal to the one before is not written again: a "*" line stands for
// all such lines in a row; and the address after the last byte ends the dump. Bytes arrive
// in pieces of any length; a line is written once it is full, and Finish() writes the last,
// short one and the end address.
class HexDump {
 public:
  explicit HexDump(std::ostream& out) : m_out(out) {}
  void Add(std::uint64_t address, std::span<const unsigned char> bytes);
  void Finish();

 private:
  void WriteLine();
  void WriteAddress(std::uint64_t address);

  std::ostream& m_out;
  std::uint64_t m_lineAddress = 0;
  std::uint64_t m_endAddress = 0;
  unsigned char m_line[16] = {};
  unsigned char m_previous[16] = {};
  std::size_t m_used = 0;
  bool m_anyLine = false;  // m_previous holds the last full line
  bool m_folding = false;  // a "*" stands for the lines since m_previous
};

}  // namespace zarneth::cli

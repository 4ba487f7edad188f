#include "hex_dump.h"

#include <cstdio>
#include <cstring>
#include <ostream>

namespace zarneth::cli {

void HexDump::Add(std::uint64_t address, std::span<const unsigned char> bytes) {
  for (const unsigned char byte : bytes) {
    if (m_used == 0)
      m_lineAddress = address;
    m_line[m_used++] = byte;
    m_endAddress = ++address;
    if (m_used == sizeof m_line)
      WriteLine();
  }
}

void HexDump::Finish() {
  if (m_used > 0)
    WriteLine();
  if (m_endAddress > 0) {  // any byte shown
    WriteAddress(m_endAddress);
    m_out << '\n';
  }
}

void HexDump::WriteAddress(std::uint64_t address) {
  char text[24];
  std::snprintf(text, sizeof text, "%08llx", static_cast<unsigned long long>(address));
  m_out << text;
}

void HexDump::WriteLine() {
  const bool full = m_used == sizeof m_line;
  if (full && m_anyLine && std::memcmp(m_line, m_previous, sizeof m_line) == 0) {
    if (!m_folding)
      m_out << "*\n";
    m_folding = true;
    m_used = 0;
    return;
  }
  m_folding = false;
  if (full) {
    std::memcpy(m_previous, m_line, sizeof m_line);
    m_anyLine = true;
  }
  WriteAddress(m_lineAddress);
  char text[96];
  int at = std::snprintf(text, sizeof text, " ");
  for (std::size_t i = 0; i < sizeof m_line; ++i) {
    if (i == 8)
      text[at++] = ' ';
    at += i < m_used ? std::snprintf(text + at, sizeof text - at, " %02x", m_line[i])
                     : std::snprintf(text + at, sizeof text - at, "   ");
  }
  m_out << text << "  |";
  for (std::size_t i = 0; i < m_used; ++i)
    m_out << (m_line[i] >= 0x20 && m_line[i] < 0x7F ? static_cast<char>(m_line[i]) : '.');
  m_out << "|\n";
  m_used = 0;
}

}  // namespace zarneth::cli

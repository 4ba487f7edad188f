#include "table_text.h"

#include <algorithm>

namespace zarneth::cli {

std::string TableText::Line(std::span<const std::string> cells) const {
  std::string line;
  std::size_t column = 0;
  for (const std::string& cell : cells) {
    if (column > 0)
      line += "  ";
    line += cell;
    const bool last = column + 1 == cells.size();
    if (!last && column < m_widths.size() && cell.size() < m_widths[column])
      line.append(m_widths[column] - cell.size(), ' ');
    ++column;
  }
  return line + '\n';
}

std::size_t AddressWidth(std::uint64_t length) {
  std::size_t digits = 1;
  for (std::uint64_t last = length > 0 ? length - 1 : 0; last >= 16; last /= 16)
    ++digits;
  return std::max<std::size_t>(digits, 6);
}

std::size_t CountWidth(std::uint64_t largest) {
  return std::to_string(largest).size();
}

}  // namespace zarneth::cli

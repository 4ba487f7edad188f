#pragma once

// Tables as zarneth-cli prints them (models, locate, compare): a line of column names, then
// a line per row, each cell but the last padded to its column's width with two spaces
// between columns, so that the columns line up and a script can split a line at its blanks.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace zarneth::cli {

class TableText {
 public:
  // The widths of the columns, the last one's included; a wider cell widens its line only.
  explicit TableText(std::vector<std::size_t> widths) : m_widths(std::move(widths)) {}
  // One line of `cells`, ended; a row may have fewer or more cells than the table has columns.
  std::string Line(std::span<const std::string> cells) const;
  std::string Line(std::initializer_list<std::string> cells) const {
    return Line(std::span<const std::string>(cells.begin(), cells.size()));
  }

 private:
  std::vector<std::size_t> m_widths;
};

// The width of the addresses into a file of `length` bytes, as the tables write them
// (FormatHexAddress: upper-case hex, at least 6 digits).
std::size_t AddressWidth(std::uint64_t length);
// The width of a decimal count up to `largest`.
std::size_t CountWidth(std::uint64_t largest);

}  // namespace zarneth::cli

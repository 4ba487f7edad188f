#include "hex_address.h"

namespace zarneth {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  return -1;
}

std::uint32_t ParseHexAddress(std::string_view text) {
  std::uint32_t value = 0;
  for (char c : text) {
    const int digit = HexDigitValue(c);
    // Unsigned arithmetic drops everything above 32 bits, so only the last eight digits stay.
    value = digit < 0 ? 0 : value * 16u + static_cast<std::uint32_t>(digit);
  }
  return value;
}

}  // namespace zarneth

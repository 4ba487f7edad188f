#include "hex_address.h"

#include "words.h"

#include <cstdio>

namespace zarneth {

std::string AddressAdvice() {
  return Tr("give 1 to 8 hex digits, optionally after 0x");
}

std::string NotAnAddress(const std::string& text) {
  // TRANSLATORS: %1$s is what was given, %2$s how to write an address.
  return TrFill("'%s' is not an address: %s", {text, AddressAdvice()});
}
namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  return -1;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::optional<std::uint32_t> ParseHexAddress(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    text.remove_prefix(2);
  if (text.empty() || text.size() > 8)
    return std::nullopt;
  std::uint32_t value = 0;
  for (char c : text) {
    const int digit = HexDigitValue(c);
    if (digit < 0)
      return std::nullopt;
    value = value * 16u + static_cast<std::uint32_t>(digit);
  }
  return value;
}

std::string FormatHexAddress(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(value));
  return text;
}

std::string HexText(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

}  // namespace zarneth

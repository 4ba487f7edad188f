#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zarneth {

// What the user is to give instead of a text that is not an address: "give 1 to 8 hex
// digits, optionally after 0x", in the user's words.
std::string AddressAdvice();
// Why `text` is refused as an address: "'1CD8OO' is not an address: give 1 to 8 ...".
std::string NotAnAddress(const std::string& text);

// Turns an address text into a 32-bit byte offset. The one rule for the dialog and the
// command line: 1 to 8 hex digits (either case), optionally after 0x or 0X, with spaces and
// tabs around them ignored. Anything else ("1CD800h", "1C D800", "1CD8OO", "", "-10", nine
// digits) is not an address and gives none, so a typo can never become offset 0.
std::optional<std::uint32_t> ParseHexAddress(std::string_view text);

// An address as the presets and the address fields write it: upper case, at least six
// digits, no prefix ("1CD800").
std::string FormatHexAddress(std::uint32_t value);

// An address or offset as messages write it: "0x1CD800".
std::string HexText(std::uint64_t value);

}  // namespace zarneth

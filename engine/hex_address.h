#pragma once

#include <cstdint>
#include <string_view>

namespace zarneth {

// Turns an address text into a 32-bit byte offset. Never fails: each hex digit shifts the
// value left by four bits (modulo 2^32) and adds itself, every other byte resets the value
// to 0. So "0x1CD800" gives 0x1CD800, "1C D800" gives 0xD800 and "1CD800h" gives 0.
std::uint32_t ParseHexAddress(std::string_view text);

// The value 0 to 15 of an ASCII hex digit, or -1 for any other byte.
int HexDigitValue(char c);

}  // namespace zarneth

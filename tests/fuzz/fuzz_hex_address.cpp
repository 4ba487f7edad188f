// ParseHexAddress against a second statement of the address rule, read from the last
// character back: the value is that of the run of hex digits ending the text (nothing if
// the text ends in a non-digit), of which only the last eight digits count.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "hex_address.h"

namespace {

int Digit(char c) {
  constexpr std::string_view kUpper = "0123456789ABCDEF";
  constexpr std::string_view kLower = "0123456789abcdef";
  if (const auto at = kUpper.find(c); at != std::string_view::npos)
    return static_cast<int>(at);
  if (const auto at = kLower.find(c); at != std::string_view::npos)
    return static_cast<int>(at);
  return -1;
}

std::uint32_t FromTheBack(std::string_view text) {
  std::uint64_t value = 0;
  std::uint64_t weight = 1;
  for (std::size_t i = text.size(), taken = 0; i > 0 && taken < 8; --i, ++taken) {
    const int digit = Digit(text[i - 1]);
    if (digit < 0)
      break;
    value += weight * static_cast<unsigned>(digit);
    weight *= 16;
  }
  return static_cast<std::uint32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (zarneth::ParseHexAddress(text) != FromTheBack(text))
    std::abort();
  return 0;
}

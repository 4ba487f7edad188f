// ParseHexAddress against a second statement of the address rule: blanks (spaces and tabs)
// trimmed from both ends, an optional 0x or 0X, then 1 to 8 hex digits and nothing else.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "hex_address.h"

namespace {

std::optional<std::uint32_t> Reference(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos)
    return std::nullopt;
  std::string core(text.substr(first, text.find_last_not_of(" \t") - first + 1));
  if (core.rfind("0x", 0) == 0 || core.rfind("0X", 0) == 0)
    core.erase(0, 2);
  if (core.empty() || core.size() > 8 ||
      core.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
    return std::nullopt;
  return static_cast<std::uint32_t>(std::stoul(core, nullptr, 16));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (zarneth::ParseHexAddress(text) != Reference(text))
    std::abort();
  return 0;
}

#pragma once

#include <string>
#include <string_view>

namespace zarneth::cli {

// The command line takes an address only as 1 to 8 hex digits, optionally after 0x or 0X,
// so that a typo cannot quietly become offset 0 of someone's image. For every text it
// accepts, the value is ParseHexAddress's. Returns an empty string for an accepted text,
// else a message that quotes it.
std::string CheckAddressText(std::string_view text);

}  // namespace zarneth::cli

#include "address_argument.h"

#include "hex_address.h"

namespace zarneth::cli {

std::string CheckAddressText(std::string_view text) {
  std::string_view digits = text;
  if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
    digits.remove_prefix(2);
  bool clean = !digits.empty() && digits.size() <= 8;
  for (char c : digits)
    clean = clean && HexDigitValue(c) >= 0;
  if (clean)
    return {};
  // Built by appending: g++ 12 at -O3 misreads "'" + std::string(...) as an overlapping copy.
  std::string message = "'";
  message.append(text);
  message.append("' is not an address: give 1 to 8 hex digits, optionally after 0x");
  return message;
}

}  // namespace zarneth::cli

#include "quoted_name.h"

#include <cstdio>

namespace zarneth {

std::string QuotedName(std::string_view name) {
  std::string quoted = "'";
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\n':
        quoted += "\\n";
        break;
      case '\r':
        quoted += "\\r";
        break;
      case '\t':
        quoted += "\\t";
        break;
      case '\'':
        quoted += "\\'";
        break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          char escape[5];
          std::snprintf(escape, sizeof escape, "\\x%02X", byte);
          quoted += escape;
        } else {
          quoted += c;
        }
    }
  }
  quoted += '\'';
  return quoted;
}

}  // namespace zarneth

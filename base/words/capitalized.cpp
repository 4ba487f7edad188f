#include "words.h"

namespace zarneth {

std::string Capitalized(std::string text) {
  if (text.empty())
    return text;
  auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
  if (byte(0) >= 'a' && byte(0) <= 'z') {
    text[0] = static_cast<char>(byte(0) - 'a' + 'A');
  } else if (text.size() >= 2 && byte(0) == 0xC3 && byte(1) >= 0xA0 && byte(1) <= 0xBE &&
             byte(1) != 0xB7) {
    text[1] = static_cast<char>(byte(1) - 0x20);  // à..þ -> À..Þ, not the division sign
  } else if (text.size() >= 2 && byte(0) == 0xD0 && byte(1) >= 0xB0 && byte(1) <= 0xBF) {
    text[1] = static_cast<char>(byte(1) - 0x20);  // а..п -> А..П
  } else if (text.size() >= 2 && byte(0) == 0xD1 && byte(1) >= 0x80 && byte(1) <= 0x8F) {
    text[0] = static_cast<char>(0xD0);  // р..я -> Р..Я
    text[1] = static_cast<char>(byte(1) + 0x20);
  } else if (text.size() >= 2 && byte(0) == 0xD1 && byte(1) >= 0x90 && byte(1) <= 0x9F) {
    text[0] = static_cast<char>(0xD0);  // ѐ..џ (ё among them) -> Ѐ..Џ
    text[1] = static_cast<char>(byte(1) - 0x10);
  }
  return text;
}

}  // namespace zarneth

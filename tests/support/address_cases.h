#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zarneth::test {

// Address texts a user may type, with the value the one address rule gives them or none
// when the text is not an address. The engine, the dialog and the command line are all
// tested against this one table.
struct AddressCase {
  const char* name;
  std::string text;
  std::optional<std::uint32_t> value;
};

inline const std::vector<AddressCase>& AddressCases() {
  static const std::vector<AddressCase> cases = {
      {"Zero", "0", 0},
      {"UpperF", "F", 15},
      {"LowerF", "f", 15},
      {"Preset", "1CD800", 0x1CD800},
      {"PresetLower", "1cd800", 0x1CD800},
      {"Prefix0x", "0x1CD800", 0x1CD800},
      {"Prefix0X", "0X1cd800", 0x1CD800},
      {"LeadingSpace", " 1CD800", 0x1CD800},
      {"TrailingSpace", "1CD800 ", 0x1CD800},
      {"Tabs", "\t0x10\t ", 0x10},
      {"EightDigits", "00000010", 0x10},
      {"Largest", "FFFFFFFF", 0xFFFFFFFF},
      {"Empty", "", std::nullopt},
      {"OnlyBlanks", " \t", std::nullopt},
      {"PrefixOnly", "0x", std::nullopt},
      {"G", "G", std::nullopt},
      {"TrailingH", "1CD800h", std::nullopt},
      {"LettersO", "1CD8OO", std::nullopt},
      {"InnerSpace", "1C D800", std::nullopt},
      {"SpaceAfterPrefix", "0x 10", std::nullopt},
      {"NineDigits", "123456789", std::nullopt},
      {"Minus", "-10", std::nullopt},
      {"Plus", "+10", std::nullopt},
      {"XWithoutZero", "x10", std::nullopt},
      {"TwoPrefixes", "0x0x1", std::nullopt},
      {"Newline", "10\n", std::nullopt},
      {"HighByte", "12\xE9", std::nullopt},
      {"Nul",
       std::string("12\0"
                   "34",
                   5),
       std::nullopt},
  };
  return cases;
}

}  // namespace zarneth::test

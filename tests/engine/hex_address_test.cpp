#include "hex_address.h"

#include <gtest/gtest.h>

#include <string>

namespace zarneth {
namespace {

struct AddressCase {
  const char* name;
  std::string text;
  std::uint32_t value;
};

class ParseHexAddressTest : public testing::TestWithParam<AddressCase> {};

TEST_P(ParseHexAddressTest, GivesTheValueOfTheLastRunOfDigits) {
  EXPECT_EQ(ParseHexAddress(GetParam().text), GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Rule, ParseHexAddressTest,
    testing::Values(
        AddressCase{"Empty", "", 0}, AddressCase{"Zero", "0", 0}, AddressCase{"UpperF", "F", 15},
        AddressCase{"LowerF", "f", 15}, AddressCase{"G", "G", 0},
        AddressCase{"Preset", "1CD800", 0x1CD800}, AddressCase{"PresetLower", "1cd800", 0x1CD800},
        AddressCase{"V135End", "1DFFFF", 1966079}, AddressCase{"V138End", "1DD443", 1954883},
        AddressCase{"V138EndLower", "1dd443", 1954883},
        AddressCase{"Prefix0x", "0x1CD800", 0x1CD800}, AddressCase{"InnerSpace", "12 34", 0x34},
        AddressCase{"InnerSpacePreset", "1C D800", 0xD800},
        AddressCase{"TrailingSpace", "1CD800 ", 0}, AddressCase{"TrailingH", "1CD800h", 0},
        AddressCase{"Largest", "FFFFFFFF", 0xFFFFFFFF},
        AddressCase{"NineDigitsKeepLastEight", "1FFFFFFFF", 0xFFFFFFFF},
        AddressCase{"OneAndEightZeros", "100000000", 0}, AddressCase{"MinusIsNoSign", "-10", 0x10},
        AddressCase{"HighByteLast", std::string("12\xE9", 3), 0},
        AddressCase{"HighByteInside",
                    std::string("1\x80"
                                "A",
                                3),
                    0xA},
        AddressCase{"NulInside",
                    std::string("12\0"
                                "34",
                                5),
                    0x34}),
    [](const testing::TestParamInfo<AddressCase>& info) { return info.param.name; });

}  // namespace
}  // namespace zarneth

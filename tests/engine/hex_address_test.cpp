#include "hex_address.h"

#include <gtest/gtest.h>

#include "address_cases.h"

namespace zarneth {
namespace {

using test::AddressCase;

class ParseHexAddressTest : public testing::TestWithParam<AddressCase> {};

TEST_P(ParseHexAddressTest, FollowsTheOneAddressRule) {
  EXPECT_EQ(ParseHexAddress(GetParam().text), GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(Rule, ParseHexAddressTest, testing::ValuesIn(test::AddressCases()),
                         [](const testing::TestParamInfo<AddressCase>& info) {
                           return info.param.name;
                         });

TEST(FormatHexAddress, WritesUpperCaseWithAtLeastSixDigits) {
  EXPECT_EQ(FormatHexAddress(0x1cd800), "1CD800");
  EXPECT_EQ(FormatHexAddress(0x10), "000010");
  EXPECT_EQ(FormatHexAddress(0xFFFFFFFF), "FFFFFFFF");
}

}  // namespace
}  // namespace zarneth

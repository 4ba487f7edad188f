#include "model_presets.h"

#include <gtest/gtest.h>

#include "hex_address.h"

namespace zarneth {
namespace {

TEST(ModelPresets, ListsTheFourModelsInSortedOrderWithTheirRanges) {
  const char* names[] = {"V135", "V136", "V137", "V138"};
  const std::uint32_t ranges[] = {75776, 75776, 75776, 89156};
  for (int i = 0; i < 4; ++i) {
    const auto preset = LookupPreset(i);
    ASSERT_TRUE(preset) << i;
    EXPECT_EQ(preset->model, names[i]);
    EXPECT_EQ(preset->startText.size(), 6u);
    EXPECT_EQ(ParseHexAddress(preset->endText) - ParseHexAddress(preset->startText) + 1, ranges[i])
        << names[i];
  }
}

TEST(ModelPresets, V136SharesTheRangeOfV135) {
  EXPECT_EQ(LookupPreset(1)->startText, LookupPreset(0)->startText);
  EXPECT_EQ(LookupPreset(1)->endText, LookupPreset(0)->endText);
  EXPECT_EQ(LookupPreset(0)->startText, "1CD800");
  EXPECT_EQ(LookupPreset(0)->endText, "1DFFFF");
}

TEST(ModelPresets, V138ParsesToItsAddresses) {
  EXPECT_EQ(ParseHexAddress(LookupPreset(3)->startText), 0x1C7800u);
  EXPECT_EQ(ParseHexAddress(LookupPreset(3)->endText), 0x1DD443u);
  EXPECT_EQ(LookupPreset(2)->startText, "1C9800");
  EXPECT_EQ(LookupPreset(2)->endText, "1DBFFF");
}

TEST(ModelPresets, IndexesOutsideTheListGiveNone) {
  EXPECT_FALSE(LookupPreset(-1));
  EXPECT_FALSE(LookupPreset(4));
  EXPECT_FALSE(LookupPreset(1 << 30));
}

}  // namespace
}  // namespace zarneth

#include "model_presets.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "hex_address.h"

namespace zarneth {
namespace {

// What the dialog and zarneth-cli rely on of the table: the list's sorted order is the
// table's, every block is a range the fields can show and parse back, and the two block
// sizes the firmware versions have.
TEST(ModelPresets, TheTableIsTheSortedListOfBlocksTheFieldsCanHold) {
  for (std::size_t i = 0; i < kModelPresets.size(); ++i) {
    const ModelPreset& preset = kModelPresets[i];
    SCOPED_TRACE(std::string(preset.model));
    ASSERT_TRUE(LookupPreset(static_cast<int>(i))) << "list row " << i;
    if (i > 0) {
      EXPECT_LT(kModelPresets[i - 1].model, preset.model) << "sorted, each name once";
    }
    EXPECT_LE(preset.start, preset.end);
    EXPECT_EQ(ParseHexAddress(preset.StartText()), preset.start);
    EXPECT_EQ(ParseHexAddress(preset.EndText()), preset.end);
  }
  EXPECT_EQ(FindModel("V135")->Length(), 75776u);
  EXPECT_EQ(FindModel("V138")->Length(), 89156u);
  EXPECT_EQ(FindModel("V138")->StartText(), "1C7800") << "upper case, no 0x";
  EXPECT_FALSE(LookupPreset(-1)) << "no model selected";
}

TEST(ModelPresets, FindModelTakesAnyLetterCase) {
  EXPECT_EQ(FindModel("v138")->start, 0x1C7800u);
  EXPECT_EQ(FindModel("V136")->model, "V136");
  for (const char* unknown : {"", "V139", "V13", "V1355", "135"})
    EXPECT_FALSE(FindModel(unknown)) << unknown;
}

}  // namespace
}  // namespace zarneth

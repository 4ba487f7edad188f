#include "model_presets.h"

#include <gtest/gtest.h>

namespace zarneth {
namespace {

TEST(ModelPresets, ListsTheFourModelsWithTheirAddressesAndRanges) {
  struct Row {
    const char* model;
    const char* start;
    const char* end;
    std::uint32_t length;
  };
  const Row rows[] = {{"V135", "1CD800", "1DFFFF", 75776},
                      {"V136", "1CD800", "1DFFFF", 75776},
                      {"V137", "1C9800", "1DBFFF", 75776},
                      {"V138", "1C7800", "1DD443", 89156}};
  for (int i = 0; i < 4; ++i) {
    const auto preset = LookupPreset(i);
    ASSERT_TRUE(preset) << i;
    EXPECT_EQ(preset->model, rows[i].model);
    EXPECT_EQ(preset->StartText(), rows[i].start) << rows[i].model;
    EXPECT_EQ(preset->EndText(), rows[i].end) << rows[i].model;
    EXPECT_EQ(preset->Length(), rows[i].length) << rows[i].model;
  }
}

TEST(ModelPresets, IndexesOutsideTheListGiveNone) {
  EXPECT_FALSE(LookupPreset(-1));
  EXPECT_FALSE(LookupPreset(4));
  EXPECT_FALSE(LookupPreset(1 << 30));
}

TEST(ModelPresets, FindModelTakesAnyLetterCase) {
  EXPECT_EQ(FindModel("v138")->start, 0x1C7800u);
  EXPECT_EQ(FindModel("V136")->model, "V136");
  for (const char* unknown : {"", "V139", "V13", "V1355", "135"})
    EXPECT_FALSE(FindModel(unknown)) << unknown;
}

}  // namespace
}  // namespace zarneth

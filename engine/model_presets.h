#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace zarneth {

// Where the language block sits in one firmware version. Addresses are kept as the
// upper-case hex text the address fields receive; the end address is inclusive.
struct ModelPreset {
  std::string_view model;
  std::string_view startText;
  std::string_view endText;
};

// In the order of the model list (already sorted by name).
inline constexpr std::array<ModelPreset, 4> kModelPresets{{
    {"V135", "1CD800", "1DFFFF"},
    {"V136", "1CD800", "1DFFFF"},
    {"V137", "1C9800", "1DBFFF"},
    {"V138", "1C7800", "1DD443"},
}};

// The row at a model-list index; none for any index outside 0..3, -1 (no selection) included.
std::optional<ModelPreset> LookupPreset(int index);

}  // namespace zarneth

#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zarneth {

// Where the language block sits in one firmware version. The end address is inclusive; the
// address fields and the command line show the addresses as upper-case hex text.
struct ModelPreset {
  std::string_view model;
  std::uint32_t start;
  std::uint32_t end;

  std::uint32_t Length() const { return end - start + 1; }
  std::string StartText() const;
  std::string EndText() const;
};

// In the order of the model list (already sorted by name). The one table of presets: the
// dialog's list and zarneth-cli's models come from it.
inline constexpr std::array<ModelPreset, 4> kModelPresets{{
    {"V135", 0x1CD800, 0x1DFFFF},
    {"V136", 0x1CD800, 0x1DFFFF},
    {"V137", 0x1C9800, 0x1DBFFF},
    {"V138", 0x1C7800, 0x1DD443},
}};

// The row at a model-list index; none for any index outside 0..3, -1 (no selection) included.
std::optional<ModelPreset> LookupPreset(int index);

// The version of a name among those in force (KnownModels: the built-in four and the tables
// read), in any letter case ("v135" too); none for an unknown name.
std::optional<ModelPreset> FindModel(std::string_view name);

// The model names in the table's order, as a choice is offered in a sentence:
// "V135, V136, V137 or V138".
std::string ModelChoiceText();

}  // namespace zarneth

#include "model_presets.h"

#include <cctype>

#include "hex_address.h"
#include "words.h"

namespace zarneth {

std::string ModelPreset::StartText() const {
  return FormatHexAddress(start);
}

std::string ModelPreset::EndText() const {
  return FormatHexAddress(end);
}

std::optional<ModelPreset> LookupPreset(int index) {
  // Compared as unsigned, so -1 falls outside the table like any too-large index.
  if (static_cast<unsigned>(index) >= kModelPresets.size())
    return std::nullopt;
  return kModelPresets[static_cast<unsigned>(index)];
}

std::optional<ModelPreset> FindModel(std::string_view name) {
  for (const ModelPreset& preset : kModelPresets) {
    bool same = preset.model.size() == name.size();
    for (std::size_t i = 0; same && i < name.size(); ++i)
      same = std::toupper(static_cast<unsigned char>(name[i])) == preset.model[i];
    if (same)
      return preset;
  }
  return std::nullopt;
}

std::string ModelChoiceText() {
  std::string text;
  for (std::size_t i = 0; i < kModelPresets.size(); ++i) {
    if (i == 0)
      text = kModelPresets[i].model;
    else if (i + 1 == kModelPresets.size())
      text = TrFill("%s or %s", {text, kModelPresets[i].model});
    else
      text = TrFill("%s, %s", {text, kModelPresets[i].model});
  }
  return text;
}

}  // namespace zarneth

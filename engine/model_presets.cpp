#include "model_presets.h"

#include <cctype>

#include "hex_address.h"
#include "model_table.h"
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
  for (const ModelEntry& model : KnownModels())
    if (ModelNamesMatch(model.name, std::string(name)))
      return ModelPreset{model.name, model.start, model.end};
  return std::nullopt;
}

std::string ModelChoiceText() {
  const std::vector<ModelEntry>& models = KnownModels();
  std::string text;
  for (std::size_t i = 0; i < models.size(); ++i) {
    if (i == 0)
      text = models[i].name;
    else if (i + 1 == models.size())
      text = TrFill("%s or %s", {text, models[i].name});
    else
      text = TrFill("%s, %s", {text, models[i].name});
  }
  return text;
}

}  // namespace zarneth

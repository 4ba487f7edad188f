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
  std::vector<std::string> names;
  for (const ModelEntry& model : KnownModels())
    names.push_back(model.name);
  // TRANSLATORS: the last two of a list of choices ("V137 or V138"); the ones before are
  // joined by commas.
  return ListText(names, Tr("%s or %s"));
}

}  // namespace zarneth

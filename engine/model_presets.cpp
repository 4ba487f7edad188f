#include "model_presets.h"

namespace zarneth {

std::optional<ModelPreset> LookupPreset(int index) {
  // Compared as unsigned, so -1 falls outside the table like any too-large index.
  if (static_cast<unsigned>(index) >= kModelPresets.size())
    return std::nullopt;
  return kModelPresets[static_cast<unsigned>(index)];
}

}  // namespace zarneth

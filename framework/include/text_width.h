#pragma once

#include <string_view>

#include "resource_registry.h"

namespace zarneth::fw {

// How wide `text` (UTF-8) is, in dialog units rounded up, in the font of `dialogTemplate`:
// what a static control of that dialog needs to show it on one line. The backend measures it
// with the font the dialog will have.
int TextWidthInDialogUnits(const DialogTemplate& dialogTemplate, std::string_view text);

}  // namespace zarneth::fw

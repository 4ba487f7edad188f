#pragma once

#include "resource_registry.h"

namespace zarneth::res {

// The main dialog's caption in its template; the dialog adds its mode to it.
inline constexpr const char* kMainCaption = "Zarneth language for Alcatel BE4 V4.0";

// The find-the-block dialog's template, its words in the user's language.
fw::DialogTemplate FindBlockTemplate();

// Registers the dialog templates, the string table and the pictures with the framework.
// Safe to call more than once.
void RegisterResources();

}  // namespace zarneth::res

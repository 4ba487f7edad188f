#pragma once

namespace zarneth::res {

// Registers the dialog templates, the string table and the pictures with the framework.
// Safe to call more than once.
void RegisterResources();

}  // namespace zarneth::res

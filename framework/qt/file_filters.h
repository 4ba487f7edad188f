#pragma once

#include <QStringList>
#include <string>

namespace zarneth::fw {

// The Qt name filters for a file dialog's filter text "Description|patterns|...||", e.g.
// "All Files (*)": "*.*" means every file, also names without a dot.
QStringList NameFilters(const std::string& filter);

}  // namespace zarneth::fw

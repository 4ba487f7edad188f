#pragma once

#include "file_dialog.h"
#include "wnd.h"

namespace zarneth {

// Runs an Open or Save As picker for every file and, unless cancelled, puts its path into
// `target`. The picker starts at the field's own path; with an empty field, in the folder
// picked last in this run of the program, by any field of any window.
void BrowseInto(fw::FilePicker kind, fw::CEdit& target);

}  // namespace zarneth

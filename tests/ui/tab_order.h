#pragma once

// The main dialog's tab order, which is its template's order of tab stops, for the dialog
// tests of both backends. Included before any system header: IDCANCEL is also a macro there.

#include "resource_ids.h"
#include "win_types.h"

namespace zarneth::test {

inline constexpr int kMainDialogTabOrder[] = {res::IDC_MODEL,
                                              res::IDC_START,
                                              res::IDC_SOURCE,
                                              res::IDC_TRANSCRIPT,
                                              res::IDC_DESTINATION,
                                              res::IDC_CREATE_NEW,
                                              res::IDC_BROWSE_SOURCE,
                                              res::IDC_BROWSE_TRANSCRIPT,
                                              res::IDC_BROWSE_DESTINATION,
                                              res::IDC_DO,
                                              fw::IDCANCEL,
                                              res::IDC_MODE};

}  // namespace zarneth::test

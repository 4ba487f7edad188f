#pragma once

#include "patch_dialog.h"
#include "win_app.h"

namespace zarneth::test {

// The main dialog with its recorded state readable by tests; the application's main
// window while it exists, as InitInstance makes it.
class DialogProbe : public CPatchDialog {
 public:
  DialogProbe() { fw::AfxGetApp()->SetMainWnd(this); }
  ~DialogProbe() override { fw::AfxGetApp()->SetMainWnd(nullptr); }

  using CPatchDialog::m_hIcon;
  using CPatchDialog::m_zarnethMode;
};

}  // namespace zarneth::test

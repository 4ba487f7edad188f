#pragma once

#include "win_app.h"

namespace zarneth {

// The application object: registers the program's resources and runs the main dialog.
class CPatchApp : public fw::CWinApp {
 public:
  CPatchApp();
  bool InitInstance() override;

 protected:
  std::span<const fw::AppMessageMapEntry> GetMessageMap() const override;
};

}  // namespace zarneth

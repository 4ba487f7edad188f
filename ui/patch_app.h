#pragma once

#include "win_app.h"

namespace zarneth {

// The application object: registers the program's resources and runs the main dialog.
class CPatchApp : public fw::CWinApp {
 public:
  CPatchApp();
  bool InitInstance() override;
  // A file error that ends a run, or any other error a command meets, in a sentence of the
  // user's language around the engine's words.
  void ProcessWndProcException(const std::exception& error) override;

 protected:
  std::span<const fw::AppMessageMapEntry> GetMessageMap() const override;
};

}  // namespace zarneth

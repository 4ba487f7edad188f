#include "patch_app.h"

#include "patch_dialog.h"
#include "resources.h"
#include "version_record.h"

namespace zarneth {
namespace {

const fw::AppMessageMapEntry kAppMessageMap[] = {
    {fw::ID_HELP, &fw::CWinApp::OnHelp},
};

}  // namespace

// Named as the version record names the program ("Zarneth"), whatever the executable's file
// is called (zarneth, zarneth.exe): the name is the caption of the framework's message boxes,
// the overrun question among them, and every other window of the program says "Zarneth".
CPatchApp::CPatchApp() : CWinApp(version::kInternalName) {
  res::RegisterResources();
}

std::span<const fw::AppMessageMapEntry> CPatchApp::GetMessageMap() const {
  return kAppMessageMap;
}

bool CPatchApp::InitInstance() {
  Enable3dControls();
  CPatchDialog dialog;
  m_pMainWnd = &dialog;
  dialog.DoModal();
  m_pMainWnd = nullptr;
  return false;  // the dialog has closed: end the program
}

}  // namespace zarneth

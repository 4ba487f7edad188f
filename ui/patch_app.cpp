#include "patch_app.h"

#include "patch_dialog.h"
#include "resources.h"

namespace zarneth {
namespace {

const fw::AppMessageMapEntry kAppMessageMap[] = {
    {fw::ID_HELP, &fw::CWinApp::OnHelp},
};

}  // namespace

CPatchApp::CPatchApp() : CWinApp(nullptr) {
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

// The parts of CWinApp that are the same with every backend.
#include "win_app.h"

namespace zarneth::fw {
namespace {

CWinApp* g_app = nullptr;

}  // namespace

CWinApp::CWinApp(const char* appName) : m_appName(appName ? appName : "") {
  g_app = this;
}

CWinApp::~CWinApp() {
  if (g_app == this)
    g_app = nullptr;
}

bool CWinApp::InitInstance() {
  return true;
}

void CWinApp::OnHelp() {
  AfxMessageBox("No help is available for " + GetAppName() + ".", MB_OK);
}

bool CWinApp::OnCmdMsg(int id) {
  for (const AppMessageMapEntry& entry : GetMessageMap()) {
    if (entry.id == id) {
      (this->*entry.handler)();
      return true;
    }
  }
  return false;
}

std::span<const AppMessageMapEntry> CWinApp::GetMessageMap() const {
  return {};
}

CWinApp* AfxGetApp() {
  return g_app;
}

}  // namespace zarneth::fw

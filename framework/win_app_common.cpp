// The parts of CWinApp that are the same with every backend.
#include "win_app.h"

#include <new>

namespace zarneth::fw {
namespace {

CWinApp* currentApp = nullptr;

}  // namespace

CWinApp::CWinApp(const char* appName) : m_appName(appName ? appName : "") {
  currentApp = this;
}

CWinApp::~CWinApp() {
  if (currentApp == this)
    currentApp = nullptr;
}

bool CWinApp::InitInstance() {
  return true;
}

void CWinApp::OnHelp() {
  AfxMessageBox("No help is available for " + GetAppName() + ".", MB_OK);
}

void CWinApp::ProcessWndProcException(const std::exception& error) {
  if (dynamic_cast<const std::bad_alloc*>(&error))
    AfxMessageBox("There is not enough memory to finish this command.", MB_ICONERROR);
  else
    AfxMessageBox(error.what(), MB_ICONERROR);
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
  return currentApp;
}

}  // namespace zarneth::fw

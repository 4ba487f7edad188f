#include "win_app.h"

#include <cstdio>
#include <iostream>

#include "wide_text.h"
#include "win32_window.h"

namespace zarneth::fw {

std::string CWinApp::GetAppName() const {
  if (!m_appName.empty())
    return m_appName;
  // The executable's name without its last extension: "Zarneth.EXE" gives "Zarneth".
  std::wstring file(MAX_PATH, L'\0');
  file.resize(::GetModuleFileNameW(nullptr, file.data(), MAX_PATH));
  file = file.substr(file.find_last_of(L"\\/") + 1);
  return Utf8FromWide(file.substr(0, file.find_last_of(L'.')));
}

// Windows matches windows to the Start menu's shortcut by the executable.
void AfxSetDesktopEntry(const std::string&) {}

int AfxWinMain(int, char**) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
  CWinApp* app = AfxGetApp();
  if (!app)
    return 1;
  // InitInstance runs the main dialog itself; false means the program is finished.
  if (!app->InitInstance())
    return 0;
  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

std::ostream& AfxCommandLineOutput() {
  // Redirected, the output already has somewhere to go; otherwise a program of the windows
  // subsystem borrows the console of the command prompt it was started from, if any.
  // Standard error goes the same way, for a refused argument.
  const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if ((out == nullptr || out == INVALID_HANDLE_VALUE) && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
    if (std::freopen("CONOUT$", "w", stdout))
      std::cout.clear();
    if (::GetStdHandle(STD_ERROR_HANDLE) == nullptr && std::freopen("CONOUT$", "w", stderr))
      std::cerr.clear();
  }
  return std::cout;
}

int AfxMessageBox(const std::string& text, unsigned type) {
  const std::string caption = AfxGetApp() ? AfxGetApp()->GetAppName() : "";
  // The system's own answers are the framework's: IDOK, IDYES, IDNO (Escape answers No).
  return ::MessageBoxW(::GetActiveWindow(), WideFromUtf8(text).c_str(),
                       WideFromUtf8(caption).c_str(), type);
}

}  // namespace zarneth::fw

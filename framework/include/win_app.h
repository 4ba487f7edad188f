#pragma once

#include <exception>
#include <iosfwd>
#include <span>
#include <string>

#include "win_types.h"
#include "wnd.h"

namespace zarneth::fw {

class CWinApp;

// One row of the application's command map.
struct AppMessageMapEntry {
  int id;
  void (CWinApp::*handler)();
};

// The one application object. Its constructor registers it; AfxWinMain starts the GUI and
// calls InitInstance, which runs the program's main dialog.
class CWinApp {
 public:
  // Without a name, the application is named after its executable file, without extension.
  explicit CWinApp(const char* appName = nullptr);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Returns false to end the program once it returns.
  virtual bool InitInstance();
  // Kept for the classic start-up sequence; today's controls are always drawn in 3D.
  void Enable3dControls() {}
  // There is no help file: says so in a message box.
  void OnHelp();
  // Routes a command through the application's map; false when no row handles it.
  bool OnCmdMsg(int id);

  std::string GetAppName() const;

  // Reports an error that escaped a command of a dialog: the dialog stays open, and the user
  // reads `error`'s text in a message box. A program overrides it to say it in its own words.
  virtual void ProcessWndProcException(const std::exception& error);

  // The program's main window, which owns the other windows: InitInstance sets m_pMainWnd,
  // as the design names it; code outside the application object (tests) sets it here.
  CWnd* MainWnd() const { return m_pMainWnd; }
  void SetMainWnd(CWnd* window) { m_pMainWnd = window; }

 protected:
  virtual std::span<const AppMessageMapEntry> GetMessageMap() const;

  CWnd* m_pMainWnd = nullptr;

 private:
  std::string m_appName;
};

CWinApp* AfxGetApp();

// The name of the desktop entry that describes the program ("org.zarneth.Zarneth"), so that
// docks and task bars match its windows to its entry and icon; before AfxWinMain.
void AfxSetDesktopEntry(const std::string& name);

// The program's entry: starts the toolkit, calls InitInstance, returns the exit code.
int AfxWinMain(int argc, char** argv);

// Where a command-line answer (--version, --help) goes: standard output, which for a Windows
// program without a console of its own is the console it was started from.
std::ostream& AfxCommandLineOutput();

// A message box over the active window, captioned with the application's name. MB_OK
// returns IDOK; MB_YESNO returns IDYES or IDNO, and Escape and the close box answer No.
int AfxMessageBox(const std::string& text, unsigned type = MB_OK);

}  // namespace zarneth::fw

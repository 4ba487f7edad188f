#include "patch_app.h"

#include <new>

#include "patch_dialog.h"
#include "resources.h"
#include "version_record.h"
#include "words.h"

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

void CPatchApp::ProcessWndProcException(const std::exception& error) {
  if (dynamic_cast<const std::bad_alloc*>(&error)) {
    fw::AfxMessageBox(Tr("There is not enough memory to finish this command."), fw::MB_ICONERROR);
    return;
  }
  // The run's files are closed by now and the image is as it was or as it is meant to be;
  // the engine's words say which file failed and how.
  // TRANSLATORS: %s is the error in the engine's words ("cannot sync file '...': ...").
  fw::AfxMessageBox(TrFill("The command stopped: %s.", {error.what()}), fw::MB_ICONERROR);
}

}  // namespace zarneth

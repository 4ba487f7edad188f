// The parts of CDialog that are the same with every backend: templates, message maps,
// default commands, bound controls and the guard around every handler.
#include <exception>

#include "dialog.h"
#include "win_app.h"

namespace zarneth::fw {

CDialog::CDialog(int templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog() = default;

WindowHandle CDialog::OwnerWindow() const {
  if (m_parent)
    return m_parent->GetSafeHwnd();
  // Without a parent the main window owns the dialog, so it is blocked while this one runs.
  CWinApp* app = AfxGetApp();
  if (app && app->MainWnd() && app->MainWnd() != this)
    return app->MainWnd()->GetSafeHwnd();
  return nullptr;
}

void CDialog::InitModalIndirect(DialogTemplate dialogTemplate) {
  m_indirectTemplate = std::move(dialogTemplate);
}

const DialogTemplate* CDialog::GetTemplate() const {
  return m_indirectTemplate ? &*m_indirectTemplate : FindDialogTemplate(m_templateId);
}

bool CDialog::OnInitDialog() {
  CDataExchange exchange{this};
  DoDataExchange(&exchange);
  return true;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() {
  EndDialog(IDOK);
}

void CDialog::OnCancel() {
  EndDialog(IDCANCEL);
}

void CDialog::OnPaint() {
  Default();
}

HICON CDialog::OnQueryDragIcon() {
  return m_bigIcon;
}

std::span<const MessageMapEntry> CDialog::GetMessageMap() const {
  return {};
}

void CDialog::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    if (CWinApp* app = AfxGetApp())
      app->ProcessWndProcException(error);
    else
      AfxMessageBox(error.what(), MB_ICONERROR);
  } catch (...) {
    AfxMessageBox("An unknown error occurred.", MB_ICONERROR);
  }
}

void CDialog::Dispatch(int id, Notification code) {
  Guarded([&] {
    for (const MessageMapEntry& entry : GetMessageMap()) {
      if (entry.id == id && entry.code == code) {
        (this->*entry.handler)();
        return;
      }
    }
    // The standard commands every dialog answers when its map does not.
    if (code != BN_CLICKED)
      return;
    if (id == IDOK) {
      OnOK();
    } else if (id == IDCANCEL) {
      OnCancel();
    } else if (id == ID_HELP && AfxGetApp()) {
      AfxGetApp()->OnCmdMsg(ID_HELP);
    }
  });
}

void CDialog::DispatchSysCommand(unsigned id) {
  Guarded([&] { OnSysCommand(id, 0); });
}

void CDialog::DispatchTimer(unsigned id) {
  Guarded([&] { OnTimer(id); });
}

void CDialog::OnTimer(unsigned) {}

void CDialog::BindControl(int id, CWnd& control) {
  control.Attach(GetDlgItem(id));
  m_boundControls.push_back(&control);
}

void CDialog::DetachAfterRun() {
  for (CWnd* control : m_boundControls)
    control->Detach();
  m_boundControls.clear();
  m_systemMenu.reset();
  m_native = nullptr;
  m_hWnd = nullptr;
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
  pDX->m_pDlgWnd->BindControl(id, control);
}

}  // namespace zarneth::fw

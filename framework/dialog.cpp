#include "dialog.h"

#include <QPaintEvent>
#include <QPalette>
#include <QWidget>
#include <exception>
#include <new>

#include "dialog_window.h"
#include "paint_dc.h"
#include "resource_registry.h"
#include "win_app.h"

namespace zarneth::fw {

CDialog::CDialog(int templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog() = default;

QWidget* CDialog::OwnerWidget() const {
  if (m_parent)
    return m_parent->GetSafeWidget();
  // Without a parent the main window owns the dialog, so it is blocked while this one runs.
  CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd && app->m_pMainWnd != this)
    return app->m_pMainWnd->GetSafeWidget();
  return nullptr;
}

void CDialog::InitModalIndirect(DialogTemplate dialogTemplate) {
  m_indirectTemplate = std::move(dialogTemplate);
}

const DialogTemplate* CDialog::GetTemplate() const {
  return m_indirectTemplate ? &*m_indirectTemplate : FindDialogTemplate(m_templateId);
}

int CDialog::DoModal() {
  const DialogTemplate* dialogTemplate = GetTemplate();
  if (!dialogTemplate)
    return -1;

  DialogWindow window(*this, *dialogTemplate, OwnerWidget());
  m_window = &window;
  m_widget = &window;
  m_result = IDCANCEL;

  // Whatever way DoModal is left, no handle may keep pointing at the destroyed widgets.
  struct Detach {
    CDialog& dialog;
    ~Detach() {
      for (CWnd* control : dialog.m_boundControls)
        control->Detach();
      dialog.m_boundControls.clear();
      dialog.m_systemMenu.reset();
      dialog.m_window = nullptr;
      dialog.m_widget = nullptr;
    }
  } detach{*this};

  if (OnInitDialog())
    window.FocusFirstTabStop();
  window.exec();
  return m_result;
}

void CDialog::EndDialog(int result) {
  m_result = result;
  if (m_window)
    m_window->done(result);
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

void CDialog::OnSysCommand(unsigned id, long) {
  switch (id & 0xFFF0u) {
    case SC_MINIMIZE:
      if (m_window)
        m_window->showMinimized();
      break;
    case SC_CLOSE:
      if (m_window)
        m_window->close();
      break;
    default:
      break;
  }
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

void CDialog::Default() {
  if (m_window && m_paintEvent)
    m_window->DefaultPaint(m_paintEvent);
}

void CDialog::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::bad_alloc&) {
    AfxMessageBox("There is not enough memory to finish this command.", MB_ICONERROR);
  } catch (const std::exception& error) {
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

CMenu* CDialog::GetSystemMenu(bool /*revert*/) {
  const DialogTemplate* dialogTemplate = GetTemplate();
  if (!m_window || !dialogTemplate || !(dialogTemplate->style & WS_SYSMENU))
    return nullptr;
  if (!m_systemMenu) {
    m_systemMenu =
        std::make_unique<CMenu>(m_window, [this](unsigned id) { DispatchSysCommand(id); });
    if (dialogTemplate->style & WS_MINIMIZEBOX)
      m_systemMenu->AppendMenu(MF_STRING, SC_MINIMIZE, "Mi&nimize");
    m_systemMenu->AppendMenu(MF_STRING, SC_CLOSE, "&Close");
  }
  return m_systemMenu.get();
}

void CDialog::SetIcon(HICON icon, bool bigIcon) {
  (bigIcon ? m_bigIcon : m_smallIcon) = icon;
  // One window icon holds every size; the latest one set stands for both.
  if (m_window && icon)
    m_window->setWindowIcon(icon->icon);
}

HICON CDialog::GetIcon(bool bigIcon) const {
  return bigIcon ? m_bigIcon : m_smallIcon;
}

bool CDialog::IsIconic() const {
  return m_window && m_window->isMinimized();
}

void CDialog::GetClientRect(CRect* rect) const {
  const QRect area = m_window ? m_window->rect() : QRect();
  *rect = CRect{0, 0, area.width(), area.height()};
}

void CDialog::SendMessage(Message message, CPaintDC& dc) {
  if (message == Message::WM_ICONERASEBKGND && m_window)
    dc.Painter().fillRect(m_window->rect(), m_window->palette().window());
}

QWidget* CDialog::GetControlWidget(int id) const {
  return m_window ? m_window->Control(id) : nullptr;
}

void CDialog::BindControl(int id, CWnd& control) {
  control.Attach(GetControlWidget(id));
  m_boundControls.push_back(&control);
}

}  // namespace zarneth::fw

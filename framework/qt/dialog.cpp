// CDialog on Qt: a DialogWindow (a QDialog) per run of DoModal.
#include "dialog.h"

#include <QPaintEvent>
#include <QPalette>
#include <QWidget>

#include "backend_access.h"
#include "dialog_window.h"
#include "paint_dc.h"
#include "qt_window.h"

namespace zarneth::fw {

int CDialog::DoModal() {
  const DialogTemplate* dialogTemplate = GetTemplate();
  if (!dialogTemplate)
    return -1;

  DialogWindow window(*this, *dialogTemplate, WidgetOf(OwnerWindow()));
  DialogNative native{&window};
  m_native = &native;
  m_hWnd = HandleOf(&window);
  m_result = IDCANCEL;

  // Whatever way DoModal is left, no handle may keep pointing at the destroyed widgets.
  const DetachOnExit detach{*this};

  if (OnInitDialog())
    window.FocusFirstTabStop();
  window.exec();
  return m_result;
}

void CDialog::EndDialog(int result) {
  m_result = result;
  if (m_native)
    m_native->window->done(result);
}

void CDialog::OnSysCommand(unsigned id, long) {
  if (!m_native)
    return;
  switch (id & 0xFFF0u) {
    case SC_MINIMIZE:
      m_native->window->showMinimized();
      break;
    case SC_CLOSE:
      m_native->window->close();
      break;
    default:
      break;
  }
}

void CDialog::Default() {
  if (m_native && m_native->paintEvent)
    m_native->window->DefaultPaint(m_native->paintEvent);
}

CMenu* CDialog::GetSystemMenu(WindowMenu which) {
  const DialogTemplate* dialogTemplate = GetTemplate();
  if (!m_native || !dialogTemplate || !(dialogTemplate->style & WS_SYSMENU))
    return nullptr;
  // The menu is the dialog's own: a reset starts it again from its first entries.
  if (which == WindowMenu::Reset) {
    m_systemMenu.reset();
    return nullptr;
  }
  if (!m_systemMenu) {
    m_systemMenu = std::make_unique<CMenu>([this](unsigned id) { DispatchSysCommand(id); });
    if (dialogTemplate->style & WS_MINIMIZEBOX)
      m_systemMenu->AppendMenu(MF_STRING, SC_MINIMIZE, "Mi&nimize");
    m_systemMenu->AppendMenu(MF_STRING, SC_CLOSE, "&Close");
  }
  return m_systemMenu.get();
}

void CDialog::SetIcon(HICON icon, IconSize size) {
  if (size == IconSize::Big)
    m_bigIcon = icon;
  // One window icon holds every size; the latest one set stands for both.
  if (m_native && icon)
    m_native->window->setWindowIcon(icon->icon);
}

bool CDialog::IsIconic() const {
  return m_native && m_native->window->isMinimized();
}

void CDialog::GetClientRect(CRect* rect) const {
  const QRect area = m_native ? m_native->window->rect() : QRect();
  *rect = CRect{0, 0, area.width(), area.height()};
}

void CDialog::SendMessage(Message message, CPaintDC& dc) {
  if (message == Message::WM_ICONERASEBKGND && m_native)
    PaintBackend::Native(dc).painter.fillRect(m_native->window->rect(),
                                              m_native->window->palette().window());
}

void CDialog::SetTimer(unsigned id, unsigned milliseconds) {
  if (m_native)
    m_native->window->SetTimer(id, milliseconds);
}

void CDialog::KillTimer(unsigned id) {
  if (m_native)
    m_native->window->KillTimer(id);
}

WindowHandle CDialog::GetDlgItem(int id) const {
  return m_native ? HandleOf(m_native->window->Control(id)) : nullptr;
}

}  // namespace zarneth::fw

#include "wnd.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <map>
#include <memory>

#include "backend_access.h"
#include "dialog.h"
#include "file_drop.h"
#include "qt_window.h"
#include "resource_registry.h"
#include "win_types.h"

namespace zarneth::fw {

HICON LoadIconResource(int id) {
  static std::map<int, std::unique_ptr<IconData>> loaded;
  auto& slot = loaded[id];
  if (!slot) {
    const std::string path = FindPicture(id);
    if (path.empty())
      return nullptr;
    slot = std::make_unique<IconData>(IconData{QIcon(QString::fromStdString(path))});
  }
  return slot.get();
}

void CWnd::SetWindowText(const std::string& text) {
  QWidget* widget = WidgetOf(m_hWnd);
  if (!widget)
    return;
  const QString value = QString::fromStdString(text);
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(value);
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(value);
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(value);
  } else {
    widget->setWindowTitle(value);
  }
}

std::string CWnd::GetWindowText() const {
  QWidget* widget = WidgetOf(m_hWnd);
  if (!widget)
    return {};
  if (auto* edit = qobject_cast<QLineEdit*>(widget))
    return edit->text().toStdString();
  if (auto* button = qobject_cast<QAbstractButton*>(widget))
    return button->text().toStdString();
  if (auto* label = qobject_cast<QLabel*>(widget))
    return label->text().toStdString();
  if (auto* combo = qobject_cast<QComboBox*>(widget))
    return combo->currentText().toStdString();
  return widget->windowTitle().toStdString();
}

void CWnd::EnableWindow(bool enable) {
  if (QWidget* widget = WidgetOf(m_hWnd))
    widget->setEnabled(enable);
}

void CWnd::ShowWindow(int command) {
  if (QWidget* widget = WidgetOf(m_hWnd))
    widget->setVisible(command != SW_HIDE);
}

void CWnd::DragAcceptFiles(bool accept) {
  if (QWidget* widget = WidgetOf(m_hWnd))
    AcceptFileDrops(widget, accept);
}

void CButton::SetCheck(int state) {
  // setChecked does not emit clicked(), so no BN_CLICKED reaches the message map.
  if (auto* box = qobject_cast<QAbstractButton*>(WidgetOf(m_hWnd)))
    box->setChecked(state == BST_CHECKED);
}

int CButton::GetCheck() const {
  auto* box = qobject_cast<QAbstractButton*>(WidgetOf(m_hWnd));
  return box && box->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

int CComboBox::SetCurSel(int index) {
  auto* combo = qobject_cast<QComboBox*>(WidgetOf(m_hWnd));
  if (!combo)
    return CB_ERR;
  const bool valid = index >= 0 && index < combo->count();
  // setCurrentIndex emits only currentIndexChanged; the map listens to the user's activated.
  combo->setCurrentIndex(valid ? index : -1);
  return valid ? index : CB_ERR;
}

int CComboBox::GetCurSel() const {
  auto* combo = qobject_cast<QComboBox*>(WidgetOf(m_hWnd));
  return combo && combo->currentIndex() >= 0 ? combo->currentIndex() : CB_ERR;
}

std::string CComboBox::GetLBText(int index) const {
  auto* combo = qobject_cast<QComboBox*>(WidgetOf(m_hWnd));
  return combo ? combo->itemText(index).toStdString() : std::string();
}

int CComboBox::GetCount() const {
  auto* combo = qobject_cast<QComboBox*>(WidgetOf(m_hWnd));
  return combo ? combo->count() : 0;
}

int CComboBox::InsertString(int index, const std::string& text) {
  auto* combo = qobject_cast<QComboBox*>(WidgetOf(m_hWnd));
  if (!combo)
    return CB_ERR;
  const int at = index < 0 || index > combo->count() ? combo->count() : index;
  // Inserting into an empty list would select the item; the list keeps what it had.
  const int selected = combo->currentIndex();
  combo->insertItem(at, QString::fromStdString(text));
  combo->setCurrentIndex(selected < 0 ? -1 : (selected >= at ? selected + 1 : selected));
  return at;
}

void CComboBox::ResetContent() {
  if (auto* combo = qobject_cast<QComboBox*>(WidgetOf(m_hWnd)))
    combo->clear();
}

}  // namespace zarneth::fw

#include "dialog_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include "backend_access.h"
#include "control_factory.h"
#include "dialog.h"
#include "dialog_units.h"
#include "qt_window.h"

namespace zarneth::fw {
namespace {

// The dialog font is made no smaller than this to fit a small screen.
constexpr double kSmallestFittingPoints = 5.0;

Qt::WindowFlags FlagsFor(const DialogTemplate& dialogTemplate, bool owned) {
  Qt::WindowFlags flags = owned ? Qt::Dialog : Qt::Window;
  flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (dialogTemplate.style & WS_SYSMENU)
    flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (dialogTemplate.style & WS_MINIMIZEBOX)
    flags |= Qt::WindowMinimizeButtonHint;
  return flags;
}

}  // namespace

DialogWindow::DialogWindow(CDialog& owner, const DialogTemplate& dialogTemplate, QWidget* parent)
    : QDialog(parent, FlagsFor(dialogTemplate, parent != nullptr)), m_owner(owner) {
  // The template's font, made smaller only where the dialog would not fit the screen's work
  // area at its size (a 1280-pixel screen at 200 %, for one), so that all of it stays in
  // sight; its pictures then shrink with it.
  QFont dialogFont = DialogFont(dialogTemplate.FaceName(), dialogTemplate.pointSize);
  const BaseUnits full = BaseUnitsOf(dialogFont);
  BaseUnits units = full;
  QRect client = DialogUnitsToPixels(0, 0, dialogTemplate.cx, dialogTemplate.cy, units);
  const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
  const QSize room = screen ? screen->availableGeometry().size() : QSize();
  while (room.isValid() && (client.width() > room.width() || client.height() > room.height()) &&
         dialogFont.pointSizeF() > kSmallestFittingPoints) {
    dialogFont.setPointSizeF(dialogFont.pointSizeF() - 0.5);
    units = BaseUnitsOf(dialogFont);
    client = DialogUnitsToPixels(0, 0, dialogTemplate.cx, dialogTemplate.cy, units);
  }
  const double pictureScale = full.x > 0 ? static_cast<double>(units.x) / full.x : 1.0;
  setFont(dialogFont);
  setWindowTitle(QString::fromStdString(dialogTemplate.caption));
  setFixedSize(client.size());
  setSizeGripEnabled(false);

  for (const ControlTemplate& control : dialogTemplate.controls) {
    QWidget* widget = CreateControl(control, this, units, pictureScale);
    if (control.id != IDC_STATIC) {
      m_controls[control.id] = widget;
      Connect(control.id, widget);
    }
    if (widget->focusPolicy() & Qt::TabFocus)
      m_tabOrder.push_back(widget);
  }
  for (std::size_t i = 1; i < m_tabOrder.size(); ++i)
    QWidget::setTabOrder(m_tabOrder[i - 1], m_tabOrder[i]);

  if (dialogTemplate.style & WS_SYSMENU) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(shortcut, &QShortcut::activated, this,
            [this] { PopupSystemMenu(mapToGlobal(QPoint(0, 0))); });
  }
}

void DialogWindow::Connect(int id, QWidget* widget) {
  if (auto* box = qobject_cast<QCheckBox*>(widget)) {
    connect(box, &QCheckBox::clicked, this,
            [this, id] { DialogNative::Dispatch(m_owner, id, BN_CLICKED); });
  } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
    connect(button, &QPushButton::clicked, this,
            [this, id] { DialogNative::Dispatch(m_owner, id, BN_CLICKED); });
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    // activated comes only from the user, never from setCurrentIndex.
    connect(combo, &QComboBox::activated, this,
            [this, id] { DialogNative::Dispatch(m_owner, id, CBN_SELCHANGE); });
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    // textChanged, not textEdited: a text set by the program changes it too, as EN_CHANGE.
    connect(edit, &QLineEdit::textChanged, this,
            [this, id] { DialogNative::Dispatch(m_owner, id, EN_CHANGE); });
  }
}

void DialogWindow::SetTimer(unsigned id, unsigned milliseconds) {
  QTimer*& timer = m_timers[id];
  if (!timer) {
    timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this, id] { DialogNative::Timer(m_owner, id); });
  }
  timer->start(static_cast<int>(milliseconds));
}

void DialogWindow::KillTimer(unsigned id) {
  if (const auto found = m_timers.find(id); found != m_timers.end())
    found->second->stop();
}

QWidget* DialogWindow::Control(int id) const {
  const auto it = m_controls.find(id);
  return it == m_controls.end() ? nullptr : it->second;
}

void DialogWindow::FocusFirstTabStop() {
  for (QWidget* widget : m_tabOrder) {
    if (widget->isEnabled() && !widget->isHidden()) {
      widget->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

void DialogWindow::PopupSystemMenu(const QPoint& globalPosition) {
  CMenu* menu = m_owner.GetSystemMenu(WindowMenu::AsItIs);
  if (!menu)
    return;
  if (!m_windowMenu)
    m_windowMenu = new QMenu(this);
  m_windowMenu->clear();
  for (const MenuEntry& entry : MenuBackend::Entries(*menu)) {
    if (entry.flags & MF_SEPARATOR) {
      m_windowMenu->addSeparator();
      continue;
    }
    const unsigned id = entry.id;
    QAction* action = m_windowMenu->addAction(QString::fromStdString(entry.text));
    action->setData(id);  // the command's number, as the system's menu keeps it
    connect(action, &QAction::triggered, this, [menu, id] { MenuBackend::Choose(*menu, id); });
  }
  m_windowMenu->popup(globalPosition);
}

void DialogWindow::paintEvent(QPaintEvent* event) {
  DialogNative::Paint(m_owner, event);
}

void DialogWindow::reject() {
  // Escape and the close box both arrive here.
  DialogNative::Cancel(m_owner);
}

void DialogWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    DialogNative::Dispatch(m_owner, ID_HELP, BN_CLICKED);
    return;
  }
  QDialog::keyPressEvent(event);
}

void DialogWindow::contextMenuEvent(QContextMenuEvent* event) {
  // The window menu opens on the dialog's free area and on its static texts and pictures.
  QWidget* under = childAt(event->pos());
  if (under == nullptr || qobject_cast<QLabel*>(under)) {
    PopupSystemMenu(event->globalPos());
    event->accept();
    return;
  }
  QDialog::contextMenuEvent(event);
}

}  // namespace zarneth::fw

// The dialog driver on the Qt backend: the widgets behind the control numbers, clicks and
// keys through QTest, modal windows caught as they become the active modal widget.
#include <cmath>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "dialog_driver.h"
#include "modal_helpers.h"
#include "qt_dialog_driver.h"
#include "qt_window.h"

namespace zarneth::test {

const char* const kAllFilesFilter = "All Files (*)";

QWidget* WidgetOfControl(const fw::CDialog& dialog, int id) {
  return id == 0 ? fw::WidgetOf(dialog) : fw::WidgetOf(dialog.GetDlgItem(id));
}

void DropUrls(QWidget* target, const QList<QUrl>& urls) {
  if (!target->acceptDrops())
    return;
  QMimeData data;
  data.setUrls(urls);
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  if (!enter.isAccepted())
    return;
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
}

QMenu* ShownPopupMenu() {
  return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

QMenu* OpenWindowMenu(const fw::CDialog& dialog) {
  QWidget* window = fw::WidgetOf(dialog);
  const QPoint freeArea(window->width() - 3, 3);
  QContextMenuEvent click(QContextMenuEvent::Mouse, freeArea, window->mapToGlobal(freeArea));
  QApplication::sendEvent(window, &click);
  return QTest::qWaitFor([] { return ShownPopupMenu() != nullptr; }, 60000) ? ShownPopupMenu()
                                                                            : nullptr;
}

namespace {

template <class W>
W* Control(const fw::CDialog& dialog, int id) {
  return qobject_cast<W*>(WidgetOfControl(dialog, id));
}

Rect RectOf(const QRect& rect) {
  return {rect.x(), rect.y(), rect.width(), rect.height()};
}

Modal Read(QWidget* modal, const QWidget* dialogWindow) {
  Modal seen;
  seen.caption = modal->windowTitle().toStdString();
  const QStringList texts = qobject_cast<QMessageBox*>(modal)
                                ? QStringList{qobject_cast<QMessageBox*>(modal)->text()}
                                : LabelTexts(modal);
  for (QString text : texts)
    seen.texts.push_back(text.replace('\n', ' ').toStdString());
  for (const QLabel* label : modal->findChildren<QLabel*>())
    seen.showsIcon = seen.showsIcon || !label->pixmap().isNull();
  seen.ownedByDialog = modal->parentWidget() == dialogWindow;
  return seen;
}

void Close(QWidget* modal, Reply reply) {
  auto* box = qobject_cast<QMessageBox*>(modal);
  if (reply == Reply::Yes && box)
    box->button(QMessageBox::Yes)->click();
  else if (reply == Reply::DefaultButton)
    QTest::keyClick(modal, Qt::Key_Return);
  else if (reply == Reply::Escape)
    QTest::keyClick(modal, Qt::Key_Escape);
  else
    PressOk(modal);
}

}  // namespace

std::string DialogDriver::Caption() const {
  return fw::WidgetOf(m_dialog)->windowTitle().toStdString();
}

std::string DialogDriver::Text(int id) const {
  QWidget* control = WidgetOfControl(m_dialog, id);
  if (auto* edit = qobject_cast<QLineEdit*>(control))
    return edit->text().toStdString();
  if (auto* button = qobject_cast<QAbstractButton*>(control))
    return button->text().toStdString();
  if (auto* combo = qobject_cast<QComboBox*>(control))
    return combo->currentText().toStdString();
  if (auto* label = qobject_cast<QLabel*>(control))
    return label->text().toStdString();
  return {};
}

void DialogDriver::Type(int id, const std::string& text) {
  Control<QLineEdit>(m_dialog, id)->setText(QString::fromStdString(text));
}

bool DialogDriver::IsEnabled(int id) const {
  return WidgetOfControl(m_dialog, id)->isEnabled();
}

bool DialogDriver::IsVisible(int id) const {
  return WidgetOfControl(m_dialog, id)->isVisible();
}

bool DialogDriver::IsChecked(int id) const {
  return Control<QCheckBox>(m_dialog, id)->isChecked();
}

void DialogDriver::Click(int id) {
  QTest::mouseClick(WidgetOfControl(m_dialog, id), Qt::LeftButton);
}

std::vector<std::string> DialogDriver::Items(int id) const {
  auto* combo = Control<QComboBox>(m_dialog, id);
  std::vector<std::string> items;
  for (int i = 0; i < combo->count(); ++i)
    items.push_back(combo->itemText(i).toStdString());
  return items;
}

int DialogDriver::Selection(int id) const {
  return Control<QComboBox>(m_dialog, id)->currentIndex();
}

// With the keyboard on the closed list, as a user picks.
void DialogDriver::Pick(int id, int index) {
  auto* combo = Control<QComboBox>(m_dialog, id);
  while (combo->currentIndex() < index)
    QTest::keyClick(combo, Qt::Key_Down);
  while (combo->currentIndex() > index)
    QTest::keyClick(combo, Qt::Key_Up);
}

bool DialogDriver::HasFocus(int id) const {
  return QApplication::focusWidget() == WidgetOfControl(m_dialog, id);
}

void DialogDriver::PressTab() {
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
}

bool DialogDriver::HasIcon() const {
  return !fw::WidgetOf(m_dialog)->windowIcon().isNull();
}

void DialogDriver::Minimize() {
  fw::WidgetOf(m_dialog)->showMinimized();
}

bool DialogDriver::IsMinimized() const {
  return fw::WidgetOf(m_dialog)->isMinimized();
}

Rect DialogDriver::ClientRect() const {
  return RectOf(fw::WidgetOf(m_dialog)->rect());
}

Rect DialogDriver::ControlRect(int id) const {
  return RectOf(WidgetOfControl(m_dialog, id)->geometry());
}

// Worked out here from the dialog manager's own definition, not by the framework's code: the
// horizontal base unit is the average width of the 52 Latin letters of the dialog's font,
// rounded; the vertical one its height. A dialog unit is a quarter of the first and an
// eighth of the second, each value rounded half up.
Rect DialogDriver::UnitsToPixels(const Rect& units) const {
  const QFontMetrics metrics(fw::WidgetOf(m_dialog)->font());
  const double letters = metrics.horizontalAdvance(
      QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"));
  const int across = static_cast<int>(std::lround(letters / 52));
  const int down = metrics.height();
  const auto scaled = [](int value, int base, int per) {
    return static_cast<int>(std::floor(static_cast<double>(value) * base / per + 0.5));
  };
  return {scaled(units.x, across, 4), scaled(units.y, down, 8), scaled(units.width, across, 4),
          scaled(units.height, down, 8)};
}

std::vector<Modal> DialogDriver::Answer(const std::function<void()>& action,
                                        const std::vector<Reply>& replies) {
  std::vector<Modal> seen;
  std::vector<std::function<void(QWidget*)>> handlers;
  for (const Reply reply : replies)
    handlers.push_back([this, &seen, reply](QWidget* modal) {
      seen.push_back(Read(modal, fw::WidgetOf(m_dialog)));
      Close(modal, reply);
    });
  HandleModals(handlers, action);
  return seen;
}

TextLayout DialogDriver::LayoutOf(const std::function<void()>& action, const std::string& part) {
  TextLayout layout;
  HandleNextModal(
      [&](QWidget* modal) {
        for (QLabel* label : modal->findChildren<QLabel*>()) {
          if (!label->text().contains(QString::fromStdString(part)))
            continue;
          layout.text = label->text().toStdString();
          layout.control = RectOf(label->geometry());
          const QFontMetrics metrics(label->font());
          layout.lineHeight = metrics.lineSpacing();
          for (const QString& line : label->text().split('\n')) {
            layout.widestLine = std::max(layout.widestLine, metrics.horizontalAdvance(line));
            ++layout.lines;
          }
        }
        for (QPushButton* button : modal->findChildren<QPushButton*>())
          layout.button = RectOf(button->geometry());
        layout.client = RectOf(modal->rect());
        PressOk(modal);
      },
      action);
  return layout;
}

PickerSeen DialogDriver::Browse(int button) {
  PickerSeen seen;
  seen.opened = HandleNextModal(
      [&](QWidget* modal) {
        auto* picker = qobject_cast<QFileDialog*>(modal);
        seen.saveAs = picker->acceptMode() == QFileDialog::AcceptSave;
        seen.filter = picker->nameFilters().join(";;").toStdString();
        seen.folder = picker->directory().absolutePath().toStdString();
        static_cast<QDialog*>(picker)->reject();
      },
      [&] { Click(button); });
  return seen;
}

void DialogDriver::DropFile(int id, const std::string& path) {
  DropUrls(WidgetOfControl(m_dialog, id), {QUrl::fromLocalFile(QString::fromStdString(path))});
}

bool DialogDriver::WaitFor(const std::function<bool()>& condition) {
  return QTest::qWaitFor(condition, 60000);
}

std::vector<MenuItem> DialogDriver::WindowMenu() const {
  std::vector<MenuItem> items;
  QMenu* menu = OpenWindowMenu(m_dialog);
  if (!menu)
    return items;
  for (const QAction* action : menu->actions())
    items.push_back({action->data().toUInt(), action->text().toStdString(), action->isSeparator()});
  menu->hide();
  return items;
}

void DialogDriver::ChooseFromWindowMenu(unsigned id) {
  // An entry that is not there is chosen as a user would: not at all, and the case sees it.
  QMenu* menu = OpenWindowMenu(m_dialog);
  if (!menu)
    return;
  const auto actions = menu->actions();
  const auto chosen = std::find_if(actions.begin(), actions.end(), [id](const QAction* action) {
    return !action->isSeparator() && action->data().toUInt() == id;
  });
  menu->hide();
  if (chosen != actions.end())
    (*chosen)->trigger();
}

void DialogDriver::PressCloseBox() {
  fw::WidgetOf(m_dialog)->close();
}

int RunDialog(fw::CDialog& dialog, const std::function<void(DialogDriver&)>& body) {
  return RunModal(dialog, [&] {
    DialogDriver driver(dialog);
    body(driver);
  });
}

}  // namespace zarneth::test

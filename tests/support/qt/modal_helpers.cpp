#include "modal_helpers.h"
#include "qt_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "dialog.h"

namespace zarneth::test {

int RunModal(fw::CDialog& dialog, const std::function<void()>& body) {
  QTimer::singleShot(0, [&] {
    // Focus and window shortcuts need the dialog to be the active window.
    QWidget* window = fw::WidgetOf(dialog);
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window, 60000))
      qWarning("the dialog did not become active");
    body();
    // A dialog the body ended is hidden already, and keeps the result it ended with.
    if (QWidget* open = fw::WidgetOf(dialog); open && open->isVisible())
      dialog.EndDialog(fw::IDCANCEL);
  });
  return dialog.DoModal();
}

int HandleModals(const std::vector<std::function<void(QWidget*)>>& handlers,
                 const std::function<void()>& trigger) {
  QWidget* seen = QApplication::activeModalWidget();
  std::size_t handled = 0;
  int polls = 0;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != seen && modal->isVisible()) {
      seen = modal;
      polls = 0;
      if (++handled == handlers.size())
        poll.stop();
      handlers[handled - 1](modal);
    } else if (++polls > 2000) {
      poll.stop();
    }
  });
  poll.start();
  trigger();
  poll.stop();
  return static_cast<int>(handled);
}

bool HandleNextModal(const std::function<void(QWidget*)>& handler,
                     const std::function<void()>& trigger) {
  return HandleModals({handler}, trigger) == 1;
}

QStringList LabelTexts(const QWidget* window) {
  QStringList texts;
  for (const QLabel* label : window->findChildren<QLabel*>())
    if (!label->text().isEmpty())
      texts << label->text();
  return texts;
}

void ChooseInPicker(QWidget* picker, const QString& path) {
  auto* dialog = qobject_cast<QFileDialog*>(picker);
  const QFileInfo chosen(path);
  dialog->setDirectory(chosen.absolutePath());
  if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit"))
    name->setText(chosen.fileName());
  else
    dialog->selectFile(path);
  static_cast<QDialog*>(dialog)->accept();
  if (dialog->isVisible())
    static_cast<QDialog*>(dialog)->reject();
}

void PressOk(QWidget* window) {
  if (auto* box = qobject_cast<QMessageBox*>(window)) {
    box->button(QMessageBox::Ok)->click();
    return;
  }
  for (QPushButton* button : window->findChildren<QPushButton*>()) {
    if (button->isDefault()) {
      button->click();
      return;
    }
  }
  if (auto* dialog = qobject_cast<QDialog*>(window))
    dialog->reject();
}

}  // namespace zarneth::test

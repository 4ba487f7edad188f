// The dialog framework on its own: templates, dialog units, message maps, the window menu,
// error reports and file pickers, with a small template of the test's own.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <new>
#include <stdexcept>
#include <vector>

#include "dialog.h"
#include "dialog_units.h"
#include "file_dialog.h"
#include "file_filters.h"
#include "modal_helpers.h"
#include "qt_window.h"
#include "resource_registry.h"
#include "win_app.h"

namespace zarneth::fw {
namespace {

using test::HandleNextModal;
using test::RunModal;

constexpr int kTemplate = 900;
enum : int { kEdit = 10, kCheck = 11, kCombo = 12, kThrow = 13, kHidden = 14, kDefault = 15 };

void RegisterTestTemplate() {
  constexpr unsigned kShown = WS_VISIBLE;
  // clang-format off
  std::vector<ControlTemplate> controls = {
      {kCombo, ControlClass::ComboBox, "", 10, 10, 60, 50,
       kShown | CBS_DROPDOWNLIST | CBS_SORT | WS_TABSTOP, 0, 0, {"b", "c", "a"}},
      {kEdit, ControlClass::Edit, "", 10, 30, 80, 14, kShown | WS_BORDER | WS_TABSTOP, 0, 0, {}},
      {IDC_STATIC, ControlClass::Static, "label", 100, 30, 40, 8, kShown | SS_RIGHT, 0, 0, {}},
      {kHidden, ControlClass::Edit, "", 10, 50, 80, 14, WS_BORDER | WS_TABSTOP, 0, 0, {}},
      {kCheck, ControlClass::Button, "check", 10, 70, 60, 10,
       kShown | BS_AUTOCHECKBOX | WS_TABSTOP, 0, 0, {}},
      {kThrow, ControlClass::Button, "throw", 100, 70, 40, 14, kShown | WS_TABSTOP, 0, 0, {}},
      {kDefault, ControlClass::Button, "default", 150, 70, 40, 14,
       kShown | BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 0, {}},
  };
  // clang-format on
  RegisterDialogTemplate(
      {kTemplate, "Framework test", 200, 100,
       WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_SETFONT, 0,
       "No Such Font Face", 8, std::move(controls)});
}

class TestDialog : public CDialog {
 public:
  TestDialog() : CDialog(kTemplate) {}

  int checkClicks = 0;
  int selectionChanges = 0;
  int defaultClicks = 0;
  unsigned lastSysCommand = 0;
  bool outOfMemory = false;
  CButton check;
  CComboBox combo;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, kCheck, check);
    DDX_Control(pDX, kCombo, combo);
  }
  void OnSysCommand(unsigned id, long lParam) override {
    lastSysCommand = id;
    if (id != 0x0020)
      CDialog::OnSysCommand(id, lParam);
  }
  std::span<const MessageMapEntry> GetMessageMap() const override { return kMap; }

 private:
  void OnCheck() { ++checkClicks; }
  void OnSelect() { ++selectionChanges; }
  void OnThrow() {
    if (outOfMemory)
      throw std::bad_alloc();
    throw std::runtime_error("cannot write file x: No space left on device");
  }
  void OnDefault() { ++defaultClicks; }
  static const MessageMapEntry kMap[4];
};

const MessageMapEntry TestDialog::kMap[4] = {
    {kCheck, BN_CLICKED, Handler(&TestDialog::OnCheck)},
    {kCombo, CBN_SELCHANGE, Handler(&TestDialog::OnSelect)},
    {kThrow, BN_CLICKED, Handler(&TestDialog::OnThrow)},
    {kDefault, BN_CLICKED, Handler(&TestDialog::OnDefault)},
};

}  // namespace

class FrameworkTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { RegisterTestTemplate(); }

  void dialogUnitsRoundLikeTheClassicConversion() {
    QCOMPARE(DialogUnitsToPixels(297, 139, 50, 14, {7, 13}), QRect(520, 226, 88, 23));
    QCOMPARE(DialogUnitsToPixels(297, 139, 50, 14, {6, 13}), QRect(446, 226, 75, 23));
    QCOMPARE(DialogUnitsToPixels(0, 0, 367, 178, {6, 13}), QRect(0, 0, 551, 289));
  }

  void missingFontFallsBackToSansSerifAtTheGivenSize() {
    const QFont font = DialogFont("No Such Font Face", 8);
    QVERIFY(font.family() != "No Such Font Face");
    QCOMPARE(font.pointSize(), 8);
    const BaseUnits units = BaseUnitsOf(font);
    QVERIFY(units.x > 2 && units.x < 12);
    QCOMPARE(units.y, QFontMetrics(font).height());
  }

  void templateBuildsAFixedWindowInDialogUnits() {
    TestDialog dialog;
    RunModal(dialog, [&] {
      QWidget* window = WidgetOf(dialog);
      const BaseUnits units = BaseUnitsOf(window->font());
      QCOMPARE(window->size(), DialogUnitsToPixels(0, 0, 200, 100, units).size());
      QCOMPARE(window->minimumSize(), window->maximumSize());
      QCOMPARE(WidgetOf(dialog.GetDlgItem(kEdit))->geometry(),
               DialogUnitsToPixels(10, 30, 80, 14, units));
      QVERIFY(!WidgetOf(dialog.GetDlgItem(kHidden))->isVisible());
      QVERIFY(WidgetOf(dialog.GetDlgItem(kEdit))->isVisible());
      auto* combo = qobject_cast<QComboBox*>(WidgetOf(dialog.GetDlgItem(kCombo)));
      QCOMPARE(combo->itemText(0), QString("a"));  // sorted
      QCOMPARE(QApplication::focusWidget(), combo);
      // Tab order is template order, skipping the hidden edit.
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), WidgetOf(dialog.GetDlgItem(kEdit)));
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), WidgetOf(dialog.GetDlgItem(kCheck)));
    });
  }

  void onlyTheUserSendsNotifications() {
    TestDialog dialog;
    RunModal(dialog, [&] {
      dialog.check.SetCheck(BST_CHECKED);
      dialog.combo.SetCurSel(2);
      QCOMPARE(dialog.checkClicks + dialog.selectionChanges, 0);
      QCOMPARE(dialog.combo.GetCurSel(), 2);
      QCOMPARE(dialog.combo.SetCurSel(7), CB_ERR);
      QCOMPARE(dialog.combo.GetCurSel(), CB_ERR);

      QTest::mouseClick(WidgetOf(dialog.GetDlgItem(kCheck)), Qt::LeftButton);
      QCOMPARE(dialog.checkClicks, 1);
      QCOMPARE(dialog.check.GetCheck(), BST_UNCHECKED);  // the box flipped itself
      dialog.combo.SetCurSel(0);
      QTest::keyClick(WidgetOf(dialog.GetDlgItem(kCombo)), Qt::Key_Down);
      QCOMPARE(dialog.selectionChanges, 1);
      QCOMPARE(dialog.combo.GetCurSel(), 1);
    });
  }

  void enterPressesTheDefaultButtonAndEscapeCancels() {
    TestDialog dialog;
    const int result = RunModal(dialog, [&] {
      QTest::keyClick(WidgetOf(dialog.GetDlgItem(kEdit)), Qt::Key_Return);
      QCOMPARE(dialog.defaultClicks, 1);
      QTest::keyClick(WidgetOf(dialog.GetDlgItem(kEdit)), Qt::Key_Escape);
      QVERIFY(!WidgetOf(dialog)->isVisible());
    });
    QCOMPARE(result, IDCANCEL);
    QVERIFY2(!WidgetOf(dialog.check), "bound controls are detached after the dialog");
  }

  void theCloseBoxCancels() {
    TestDialog dialog;
    QCOMPARE(RunModal(dialog, [&] { WidgetOf(dialog)->close(); }), IDCANCEL);
  }

  void anEscapingErrorIsReportedAndTheDialogStaysOpen() {
    TestDialog dialog;
    RunModal(dialog, [&] {
      QString caption, text;
      QVERIFY(HandleNextModal(
          [&](QWidget* box) {
            caption = box->windowTitle();
            text = qobject_cast<QMessageBox*>(box)->text();
            test::PressOk(box);
          },
          [&] { QTest::mouseClick(WidgetOf(dialog.GetDlgItem(kThrow)), Qt::LeftButton); }));
      QCOMPARE(caption, QString("FrameworkTests"));
      QCOMPARE(text, QString("cannot write file x: No space left on device"));
      QVERIFY(WidgetOf(dialog)->isVisible());
      QTest::mouseClick(WidgetOf(dialog.GetDlgItem(kCheck)), Qt::LeftButton);
      QCOMPARE(dialog.checkClicks, 1);

      dialog.outOfMemory = true;
      QVERIFY(HandleNextModal(
          [&](QWidget* box) {
            text = qobject_cast<QMessageBox*>(box)->text();
            test::PressOk(box);
          },
          [&] { QTest::mouseClick(WidgetOf(dialog.GetDlgItem(kThrow)), Qt::LeftButton); }));
      QCOMPARE(text, QString("There is not enough memory to finish this command."));
    });
  }

  void theWindowMenuRoutesItsEntriesToOnSysCommand() {
    TestDialog dialog;
    RunModal(dialog, [&] {
      CMenu* menu = dialog.GetSystemMenu(false);
      QVERIFY(menu);
      QCOMPARE(menu->Entries().back().id, SC_CLOSE);
      menu->AppendMenu(MF_SEPARATOR);
      menu->AppendMenu(MF_STRING, 0x0020, "&Extra");
      const auto& entries = menu->Entries();
      QVERIFY(entries[entries.size() - 2].flags & MF_SEPARATOR);
      menu->Choose(entries.back().id);
      QCOMPARE(dialog.lastSysCommand, 0x0020u);

      // Right click on the free area and Alt+Space both open it.
      QWidget* window = WidgetOf(dialog);
      QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(window->width() - 3, 3),
                              window->mapToGlobal(QPoint(window->width() - 3, 3)));
      QApplication::sendEvent(window, &click);
      QTRY_VERIFY(WindowMenuPopup(dialog)->isVisible());
      WindowMenuPopup(dialog)->hide();
      QTest::keyClick(WidgetOf(dialog.GetDlgItem(kEdit)), Qt::Key_Space, Qt::AltModifier);
      QTRY_VERIFY(WindowMenuPopup(dialog)->isVisible());
      WindowMenuPopup(dialog)->hide();
    });
  }

  void theAllFilesFilterMatchesNamesWithoutADot() {
    const QStringList filters = NameFilters("All Files (*.*)|*.*||");
    QCOMPARE(filters, QStringList{"All Files (*)"});
    QCOMPARE(NameFilters("Images|*.bin;*.img||"), QStringList{"Images (*.bin *.img)"});
  }

  void aPickerReturnsItsPathOnlyWhenAccepted() {
    QTemporaryDir dir;
    const QString file = dir.filePath("README");
    QFile(file).open(QIODevice::WriteOnly);

    CFileDialog cancelled(true, nullptr, nullptr, OFN_HIDEREADONLY, "All Files (*.*)|*.*||");
    int result = 0;
    QVERIFY(HandleNextModal([](QWidget* picker) { qobject_cast<QDialog*>(picker)->reject(); },
                            [&] { result = cancelled.DoModal(); }));
    QCOMPARE(result, IDCANCEL);
    QCOMPARE(cancelled.GetPathName(), std::string());

    CFileDialog open(true, nullptr, nullptr, OFN_HIDEREADONLY, "All Files (*.*)|*.*||");
    QVERIFY(HandleNextModal(
        [&](QWidget* picker) {
          auto* dialog = qobject_cast<QFileDialog*>(picker);
          dialog->setDirectory(dir.path());
          dialog->selectFile(file);
          static_cast<QDialog*>(dialog)->accept();
        },
        [&] { result = open.DoModal(); }));
    QCOMPARE(result, IDOK);
    QCOMPARE(QString::fromStdString(open.GetPathName()), file);
  }

  void theApplicationIsNamedAfterItsExecutable() {
    CWinApp unnamed;
    QCOMPARE(QString::fromStdString(unnamed.GetAppName()), QString("framework_tests"));
  }
};

}  // namespace zarneth::fw

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  zarneth::fw::CWinApp app("FrameworkTests");
  zarneth::fw::FrameworkTest tests;
  return QTest::qExec(&tests, argc, argv);
}

#include "framework_test.moc"

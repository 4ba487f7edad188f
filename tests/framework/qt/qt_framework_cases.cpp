// What only the framework's Qt backend has to show: the conversion of dialog units and the
// fallback font, the fixed window, Enter and Escape, the window menu opened by a right click
// and Alt+Space, the pickers' filters and paths, and the application's name.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include "dialog_driver.h"
#include "dialog_units.h"
#include "file_dialog.h"
#include "file_filters.h"
#include "modal_helpers.h"
#include "qt_dialog_driver.h"
#include "qt_window.h"
#include "test_dialog.h"
#include "win_app.h"

namespace zarneth::fw::test {
namespace {

// The dialog driver and its helpers.
using namespace zarneth::test;

TEST(QtFrameworkTest, DialogUnitsRoundLikeTheClassicConversion) {
  EXPECT_EQ(DialogUnitsToPixels(297, 139, 50, 14, {7, 13}), QRect(520, 226, 88, 23));
  EXPECT_EQ(DialogUnitsToPixels(297, 139, 50, 14, {6, 13}), QRect(446, 226, 75, 23));
  EXPECT_EQ(DialogUnitsToPixels(0, 0, 367, 178, {6, 13}), QRect(0, 0, 551, 289));
}

TEST(QtFrameworkTest, AMissingFontFallsBackToSansSerifAtTheGivenSize) {
  const QFont font = DialogFont("No Such Font Face", 8);
  EXPECT_NE(font.family(), "No Such Font Face");
  EXPECT_EQ(font.pointSize(), 8);
  const BaseUnits units = BaseUnitsOf(font);
  EXPECT_TRUE(units.x > 2 && units.x < 12) << units.x;
  EXPECT_EQ(units.y, QFontMetrics(font).height());
}

TEST(QtFrameworkTest, TheWindowHasAFixedSize) {
  TestDialog dialog;
  RunDialog(dialog, [&](DialogDriver&) {
    EXPECT_EQ(WidgetOf(dialog)->minimumSize(), WidgetOf(dialog)->maximumSize());
  });
}

TEST(QtFrameworkTest, EnterPressesTheDefaultButtonAndEscapeCancels) {
  TestDialog dialog;
  const int result = RunDialog(dialog, [&](DialogDriver&) {
    QTest::keyClick(WidgetOfControl(dialog, kEdit), Qt::Key_Return);
    EXPECT_EQ(dialog.defaultClicks, 1);
    QTest::keyClick(WidgetOfControl(dialog, kEdit), Qt::Key_Escape);
    EXPECT_FALSE(WidgetOf(dialog)->isVisible());
  });
  EXPECT_EQ(result, IDCANCEL);
}

// Qt has no system menu to reach: a right click on the free area and Alt+Space open the
// dialog's own.
TEST(QtFrameworkTest, ARightClickAndAltSpaceOpenTheWindowMenu) {
  TestDialog dialog;
  RunDialog(dialog, [&](DialogDriver&) {
    QMenu* menu = OpenWindowMenu(dialog);
    ASSERT_TRUE(menu);
    menu->hide();
    QTest::keyClick(WidgetOfControl(dialog, kEdit), Qt::Key_Space, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([] { return ShownPopupMenu() != nullptr; }, 60000));
    if (QMenu* shown = ShownPopupMenu())
      shown->hide();
  });
}

TEST(QtFrameworkTest, TheAllFilesFilterMatchesNamesWithoutADot) {
  EXPECT_EQ(NameFilters("All Files (*.*)|*.*||"), QStringList{"All Files (*)"});
  EXPECT_EQ(NameFilters("Images|*.bin;*.img||"), QStringList{"Images (*.bin *.img)"});
}

TEST(QtFrameworkTest, APickerReturnsItsPathOnlyWhenAccepted) {
  QTemporaryDir dir;
  const QString file = dir.filePath("README");
  QFile(file).open(QIODevice::WriteOnly);

  CFileDialog cancelled(FilePicker::Open, nullptr, nullptr, OFN_HIDEREADONLY,
                        "All Files (*.*)|*.*||");
  int result = 0;
  EXPECT_TRUE(HandleNextModal([](QWidget* picker) { qobject_cast<QDialog*>(picker)->reject(); },
                              [&] { result = cancelled.DoModal(); }));
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(cancelled.GetPathName(), "");

  CFileDialog open(FilePicker::Open, nullptr, nullptr, OFN_HIDEREADONLY, "All Files (*.*)|*.*||");
  EXPECT_TRUE(HandleNextModal([&](QWidget* picker) { ChooseInPicker(picker, file); },
                              [&] { result = open.DoModal(); }));
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(open.GetPathName(), file.toStdString());
}

TEST(QtFrameworkTest, TheApplicationIsNamedAfterItsExecutable) {
  EXPECT_EQ(AfxGetApp()->GetAppName(), "framework_tests");
}

}  // namespace
}  // namespace zarneth::fw::test

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  zarneth::fw::CWinApp app;  // unnamed: named after the executable
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

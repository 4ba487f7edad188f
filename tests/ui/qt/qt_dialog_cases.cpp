// What only the Qt backend has to show: pictures at the screen's scale, pixels with a known
// font, the minimized icon painted by the dialog, F1, Escape on the overrun question, drops
// of what is not a local file, and pickers whose choice fills the field (Wine's pickers take
// no typed name from a test).
#include <gtest/gtest.h>

#include <filesystem>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include "dialog_driver.h"
#include "dialog_probe.h"
#include "file_paths.h"
#include "modal_helpers.h"
#include "patch_app.h"
#include "qt_dialog_driver.h"
#include "qt_window.h"
#include "resource_ids.h"
#include "temp_dir.h"

namespace zarneth::test {
namespace {

using namespace zarneth::res;

class QtDialogTest : public testing::Test {
 protected:
  void Run(const std::function<void(DialogDriver&)>& body) { RunDialog(d, body); }
  QWidget* Window() const { return fw::WidgetOf(d); }
  DialogProbe d;
};

// Each picture is drawn for the screen's scale, never enlarged: at 200 % (the run of this
// case with QT_SCALE_FACTOR=2) twice the pixels in the same room.
TEST_F(QtDialogTest, PicturesAreSharpAtTheScreensScale) {
  Run([&](DialogDriver&) {
    const qreal ratio = Window()->devicePixelRatioF();
    QList<QSize> sizes;
    for (QLabel* label : Window()->findChildren<QLabel*>()) {
      const QPixmap picture = label->pixmap();
      if (picture.isNull())
        continue;
      EXPECT_EQ(picture.devicePixelRatio(), ratio);
      EXPECT_EQ(label->size(), picture.deviceIndependentSize().toSize());  // its template room
      sizes << picture.size();
    }
    const int scale = qRound(ratio);
    EXPECT_TRUE(sizes.contains(QSize(97, 26) * scale) && sizes.contains(QSize(71, 180) * scale))
        << "at " << ratio << "x";
  });
}

TEST_F(QtDialogTest, PixelGeometryWithAKnownFontAndNoOverlap) {
  Run([&](DialogDriver& ui) {
    // No two controls of the form overlap.
    const auto children = Window()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* a : children) {
      for (QWidget* b : children) {
        if (a < b && a->isVisible() && b->isVisible() && !qobject_cast<QMenu*>(a) &&
            !qobject_cast<QMenu*>(b)) {
          EXPECT_FALSE(a->geometry().intersects(b->geometry()))
              << a->objectName().toStdString() << " overlaps " << b->objectName().toStdString();
        }
      }
    }
    if (QFontInfo(Window()->font()).family() != "DejaVu Sans" || Window()->font().pointSize() != 8)
      GTEST_SKIP() << "the dialog font here is not DejaVu Sans 8 pt";
    // DejaVu Sans at 8 pt: 52 letters are 353 pixels wide, so 7 x 13 pixel base units.
    EXPECT_EQ(ui.ClientRect(), (Rect{0, 0, 642, 289}));
    EXPECT_EQ(ui.ControlRect(IDC_DO), (Rect{520, 226, 88, 23}));
    EXPECT_EQ(ui.ControlRect(IDC_START), (Rect{495, 15, 135, 23}));
    EXPECT_EQ(ui.ControlRect(IDC_TRANSCRIPT), (Rect{217, 132, 282, 23}));
    EXPECT_EQ(ui.ControlRect(fw::IDCANCEL), (Rect{12, 255, 88, 23}));
    EXPECT_EQ(ui.ControlRect(IDC_END), ui.UnitsToPixels({283, 27, 77, 14}));
  });
}

// The minimized window paints the icon in its middle, with truncating division:
// (w - 32 + 1) / 2, negative when the window is smaller than the icon.
TEST_F(QtDialogTest, TheMinimizedIconIsCentred) {
  for (const QSize size : {QSize(160, 120), QSize(33, 33), QSize(20, 10)}) {
    DialogProbe dialog;
    RunDialog(dialog, [&](DialogDriver& ui) {
      QWidget* window = fw::WidgetOf(dialog);
      ui.Minimize();
      ASSERT_TRUE(dialog.IsIconic());
      window->setFixedSize(size);
      QImage painted(size, QImage::Format_ARGB32);
      painted.fill(Qt::transparent);
      window->render(&painted, QPoint(), QRegion(), QWidget::DrawWindowBackground);
      QImage expected(size, QImage::Format_ARGB32);
      expected.fill(window->palette().window().color());
      QPainter painter(&expected);
      painter.drawPixmap((size.width() - 31) / 2, (size.height() - 31) / 2,
                         dialog.m_hIcon->icon.pixmap(32, 32));
      painter.end();
      EXPECT_EQ(painted, expected) << size.width() << "x" << size.height();
    });
  }
}

TEST_F(QtDialogTest, F1AsksTheApplicationForHelp) {
  Run([&](DialogDriver& ui) {
    const auto seen = ui.Answer(
        [&] { QTest::keyClick(WidgetOfControl(d, IDC_SOURCE), Qt::Key_F1); }, {Reply::Ok});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, "Zarneth");
    EXPECT_EQ(seen[0].texts, std::vector<std::string>{"No help is available for Zarneth."});
  });
}

TEST_F(QtDialogTest, ADropOfWhatIsNotALocalFileIsIgnored) {
  Run([&](DialogDriver& ui) {
    DropUrls(WidgetOfControl(d, IDC_SOURCE), {QUrl("https://example.org/be4.bin")});
    EXPECT_EQ(ui.Text(IDC_SOURCE), "");
  });
}

// A pick fills its field (Save As for the destination, Open with every file for the
// inputs); with an empty field a picker starts in the folder picked last, by any picker, but
// a field's own folder comes first.
TEST_F(QtDialogTest, APickFillsTheFieldAndAnEmptyFieldStartsWhereTheLastPickWas) {
  QTemporaryDir dir;
  QDir(dir.path()).mkpath("typed");
  QDir(dir.path()).mkpath("picked");
  const QString picked = dir.filePath("picked/image.bin");
  QFile(picked).open(QIODevice::WriteOnly);
  auto choose = [](const QString& path) {
    return [path](QWidget* modal) { ChooseInPicker(modal, path); };
  };
  Run([&](DialogDriver& ui) {
    ASSERT_TRUE(HandleNextModal(choose(dir.filePath("picked/new.bin")),
                                [&] { ui.Click(IDC_BROWSE_DESTINATION); }));
    EXPECT_EQ(ui.Text(IDC_DESTINATION), dir.filePath("picked/new.bin").toStdString());
    ASSERT_TRUE(HandleNextModal(choose(picked), [&] { ui.Click(IDC_BROWSE_SOURCE); }));
    EXPECT_EQ(ui.Text(IDC_SOURCE), picked.toStdString());

    EXPECT_EQ(ui.Browse(IDC_BROWSE_TRANSCRIPT).folder, dir.filePath("picked").toStdString());
    ui.Type(IDC_SOURCE, dir.filePath("typed/image.bin").toStdString());
    EXPECT_EQ(ui.Browse(IDC_BROWSE_SOURCE).folder, dir.filePath("typed").toStdString());
  });
}

}  // namespace
}  // namespace zarneth::test

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  zarneth::CPatchApp app;  // registers the resources, as in the program
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

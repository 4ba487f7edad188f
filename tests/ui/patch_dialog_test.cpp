// The main dialog's form: start state, the two toggles, model picks, pickers, tab order and
// geometry.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "dialog_probe.h"
#include "dialog_units.h"
#include "modal_helpers.h"
#include "model_presets.h"
#include "qt_window.h"
#include "tab_order.h"
#include "ui_tests.h"

namespace zarneth::test {
namespace {

using namespace zarneth::res;

constexpr const char* kZarnethCaption = "Zarneth language for Alcatel BE4 V4.0 - zarneth mode";
constexpr const char* kCutCaption = "Zarneth language for Alcatel BE4 V4.0 - cut mode";

// What the start state shows, for comparing after round trips.
struct FormState {
  QString caption, modeText, start, end;
  bool transcriptEnabled, browseTranscriptEnabled, checkEnabled, checked, endVisible, destEnabled,
      browseDestEnabled;
  bool operator==(const FormState&) const = default;
};

FormState Read(const DialogProbe& d) {
  return {fw::WidgetOf(d)->windowTitle(),
          d.Control<QPushButton>(IDC_MODE)->text(),
          d.Control<QLineEdit>(IDC_START)->text(),
          d.Control<QLineEdit>(IDC_END)->text(),
          d.Control(IDC_TRANSCRIPT)->isEnabled(),
          d.Control(IDC_BROWSE_TRANSCRIPT)->isEnabled(),
          d.Control(IDC_CREATE_NEW)->isEnabled(),
          d.Control<QCheckBox>(IDC_CREATE_NEW)->isChecked(),
          d.Control(IDC_END)->isVisible(),
          d.Control(IDC_DESTINATION)->isEnabled(),
          d.Control(IDC_BROWSE_DESTINATION)->isEnabled()};
}

const FormState kStartState{kZarnethCaption, "Cut mode", "1CD800", "1DFFFF", true, true, true, true,
                            false,           true,       true};

void Click(DialogProbe& d, int id) {
  QTest::mouseClick(d.Control(id), Qt::LeftButton);
}

// Picks a model as a user does with the keyboard on the closed list.
void PickModel(DialogProbe& d, int index) {
  auto* combo = d.Control<QComboBox>(IDC_MODEL);
  while (combo->currentIndex() < index)
    QTest::keyClick(combo, Qt::Key_Down);
  while (combo->currentIndex() > index)
    QTest::keyClick(combo, Qt::Key_Up);
}

}  // namespace

void PatchDialogTest::startState() {
  DialogProbe d;
  RunModal(d, [&] {
    QVERIFY(Read(d) == kStartState);
    auto* combo = d.Control<QComboBox>(IDC_MODEL);
    // The template's list is the engine's preset table, in its order.
    QCOMPARE(combo->count(), static_cast<int>(kModelPresets.size()));
    for (int i = 0; i < combo->count(); ++i)
      QCOMPARE(combo->itemText(i).toStdString(), std::string(kModelPresets[i].model));
    QCOMPARE(combo->currentText(), QString("V135"));
    for (int id : {IDC_SOURCE, IDC_TRANSCRIPT, IDC_DESTINATION})
      QVERIFY(d.Control<QLineEdit>(id)->text().isEmpty());
    QVERIFY(d.m_zarnethMode && d.m_createNewFile);
    QCOMPARE(d.m_start, 0u);
    QCOMPARE(QApplication::focusWidget(), combo);
    QVERIFY(d.GetIcon(true) == d.m_hIcon && d.GetIcon(false) == d.m_hIcon);
    QVERIFY(d.m_hIcon && d.DragIcon() == d.m_hIcon);
    QVERIFY(!fw::WidgetOf(d)->windowIcon().isNull());
  });
}

void PatchDialogTest::cutModeAndBackRestoresTheForm() {
  DialogProbe d;
  RunModal(d, [&] {
    Click(d, IDC_MODE);
    const FormState cut = Read(d);
    QCOMPARE(cut.caption, QString(kCutCaption));
    QCOMPARE(cut.modeText, QString("Zarneth mode"));
    QVERIFY(!cut.transcriptEnabled && !cut.browseTranscriptEnabled && !cut.checkEnabled);
    QVERIFY(cut.endVisible && cut.checked && cut.destEnabled && cut.browseDestEnabled);
    QVERIFY(!d.m_zarnethMode);
    Click(d, IDC_MODE);
    QVERIFY(Read(d) == kStartState);
  });
}

void PatchDialogTest::createNewToggleCarriesIntoCutMode() {
  DialogProbe d;
  RunModal(d, [&] {
    Click(d, IDC_CREATE_NEW);
    QVERIFY(!d.m_createNewFile);
    QVERIFY(!d.Control<QCheckBox>(IDC_CREATE_NEW)->isChecked());
    QVERIFY(!d.Control(IDC_DESTINATION)->isEnabled());
    QVERIFY(!d.Control(IDC_BROWSE_DESTINATION)->isEnabled());

    Click(d, IDC_MODE);
    QVERIFY(!d.Control(IDC_DESTINATION)->isEnabled());
    QVERIFY(!d.Control<QCheckBox>(IDC_CREATE_NEW)->isChecked());
    Click(d, IDC_MODE);

    Click(d, IDC_CREATE_NEW);
    QVERIFY(d.m_createNewFile);
    QVERIFY(Read(d) == kStartState);
  });
}

void PatchDialogTest::eachModelPickFillsItsAddresses() {
  const char* expected[][2] = {
      {"1CD800", "1DFFFF"}, {"1CD800", "1DFFFF"}, {"1C9800", "1DBFFF"}, {"1C7800", "1DD443"}};
  DialogProbe d;
  RunModal(d, [&] {
    for (int index : {3, 2, 1, 0, 3}) {
      PickModel(d, index);
      QCOMPARE(d.Control<QLineEdit>(IDC_START)->text(), QString(expected[index][0]));
      QCOMPARE(d.Control<QLineEdit>(IDC_END)->text(), QString(expected[index][1]));
      QVERIFY(!d.Control(IDC_END)->isVisible());
    }
    Click(d, IDC_MODE);
    PickModel(d, 1);
    QCOMPARE(d.Control<QLineEdit>(IDC_END)->text(), QString("1DFFFF"));
    QVERIFY(d.Control(IDC_END)->isVisible());
  });
}

void PatchDialogTest::aTypedAddressStaysUntilTheNextPick() {
  DialogProbe d;
  RunModal(d, [&] {
    auto* start = d.Control<QLineEdit>(IDC_START);
    start->clear();
    QTest::keyClicks(start, "1C0000");
    Click(d, IDC_MODE);
    Click(d, IDC_MODE);
    Click(d, IDC_CREATE_NEW);
    QCOMPARE(start->text(), QString("1C0000"));
    PickModel(d, 2);
    QCOMPARE(start->text(), QString("1C9800"));
  });
}

// Each picker starts in the folder of its field's path; with an empty field, in the folder
// picked last, by any picker.
void PatchDialogTest::pickersStartWhereTheUserIs() {
  QTemporaryDir dir;
  QDir(dir.path()).mkpath("typed");
  QDir(dir.path()).mkpath("picked");
  DialogProbe d;
  RunModal(d, [&] {
    auto startsIn = [&](int button) {
      QString folder;
      HandleNextModal(
          [&](QWidget* picker) {
            folder = qobject_cast<QFileDialog*>(picker)->directory().absolutePath();
            qobject_cast<QDialog*>(picker)->reject();
          },
          [&] { Click(d, button); });
      return folder;
    };
    d.Control<QLineEdit>(IDC_SOURCE)->setText(dir.filePath("typed/image.bin"));
    QCOMPARE(startsIn(IDC_BROWSE_SOURCE), dir.filePath("typed"));
    QVERIFY(HandleNextModal(
        [&](QWidget* picker) {
          auto* fileDialog = qobject_cast<QFileDialog*>(picker);
          fileDialog->selectFile(dir.filePath("picked/new.bin"));
          static_cast<QDialog*>(fileDialog)->accept();
        },
        [&] { Click(d, IDC_BROWSE_DESTINATION); }));
    QCOMPARE(d.Control<QLineEdit>(IDC_DESTINATION)->text(), dir.filePath("picked/new.bin"));
    d.Control<QLineEdit>(IDC_TRANSCRIPT)->clear();
    QCOMPARE(startsIn(IDC_BROWSE_TRANSCRIPT), dir.filePath("picked"));
    QCOMPARE(startsIn(IDC_BROWSE_SOURCE), dir.filePath("typed"));  // the field's folder first
  });
}

// Each picture is drawn for the screen's scale, never enlarged: at 200 % (the run of this
// case with QT_SCALE_FACTOR=2) twice the pixels in the same room.
void PatchDialogTest::picturesAreSharpAtTheScreensScale() {
  DialogProbe d;
  RunModal(d, [&] {
    QWidget* window = fw::WidgetOf(d);
    const qreal ratio = window->devicePixelRatioF();
    QList<QSize> sizes;
    for (QLabel* label : window->findChildren<QLabel*>()) {
      const QPixmap picture = label->pixmap();
      if (picture.isNull())
        continue;
      QCOMPARE(picture.devicePixelRatio(), ratio);
      QCOMPARE(label->size(), picture.deviceIndependentSize().toSize());  // its template room
      sizes << picture.size();
    }
    const int scale = qRound(ratio);
    QVERIFY2(sizes.contains(QSize(97, 26) * scale) && sizes.contains(QSize(71, 180) * scale),
             qPrintable(QString("at %1x").arg(ratio)));
  });
}

void PatchDialogTest::aCancelledPickerLeavesTheField_data() {
  QTest::addColumn<int>("button");
  QTest::addColumn<int>("field");
  QTest::newRow("source") << IDC_BROWSE_SOURCE << IDC_SOURCE;
  QTest::newRow("transcript") << IDC_BROWSE_TRANSCRIPT << IDC_TRANSCRIPT;
  QTest::newRow("destination") << IDC_BROWSE_DESTINATION << IDC_DESTINATION;
}

void PatchDialogTest::aCancelledPickerLeavesTheField() {
  QFETCH(int, button);
  QFETCH(int, field);
  QTemporaryDir dir;
  const QString picked = dir.filePath("picked.bin");
  QFile(picked).open(QIODevice::WriteOnly);
  DialogProbe d;
  RunModal(d, [&] {
    d.Control<QLineEdit>(field)->setText("typed.bin");
    QVERIFY(HandleNextModal([](QWidget* picker) { qobject_cast<QDialog*>(picker)->reject(); },
                            [&] { Click(d, button); }));
    QCOMPARE(d.Control<QLineEdit>(field)->text(), QString("typed.bin"));
    if (button != IDC_BROWSE_DESTINATION)
      return;
    bool saveAs = false;
    QVERIFY(HandleNextModal(
        [&](QWidget* picker) {
          auto* fileDialog = qobject_cast<QFileDialog*>(picker);
          saveAs = fileDialog->acceptMode() == QFileDialog::AcceptSave;
          fileDialog->setDirectory(dir.path());
          fileDialog->selectFile(dir.filePath("new.bin"));
          static_cast<QDialog*>(fileDialog)->accept();
        },
        [&] { Click(d, IDC_BROWSE_DESTINATION); }));
    QVERIFY(saveAs);
    QCOMPARE(d.Control<QLineEdit>(IDC_DESTINATION)->text(), dir.filePath("new.bin"));
    QVERIFY(HandleNextModal(
        [&](QWidget* picker) {
          auto* fileDialog = qobject_cast<QFileDialog*>(picker);
          QCOMPARE(fileDialog->acceptMode(), QFileDialog::AcceptOpen);
          QCOMPARE(fileDialog->nameFilters(), QStringList{"All Files (*)"});
          fileDialog->setDirectory(dir.path());
          fileDialog->selectFile(picked);
          static_cast<QDialog*>(fileDialog)->accept();
        },
        [&] { Click(d, IDC_BROWSE_SOURCE); }));
    QCOMPARE(d.Control<QLineEdit>(IDC_SOURCE)->text(), picked);
  });
}

namespace {

// Drops `urls` onto `target` the way Qt delivers a drag from a file manager: only to a
// widget that takes drops, and the drop only when the drag was accepted on entering.
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

}  // namespace

void PatchDialogTest::droppedFilesFillOnlyThePathFields_data() {
  QTest::addColumn<int>("target");  // a control number, or 0 for the dialog itself
  QTest::addColumn<QString>("url");
  QTest::addColumn<bool>("fills");
  const QString file = "file:///home/user/images/be4 v135.bin";
  QTest::newRow("source") << IDC_SOURCE << file << true;
  QTest::newRow("transcript") << IDC_TRANSCRIPT << file << true;
  QTest::newRow("destination") << IDC_DESTINATION << file << true;
  QTest::newRow("start address") << IDC_START << file << false;
  QTest::newRow("the dialog elsewhere") << 0 << file << false;
  QTest::newRow("not a local file") << IDC_SOURCE << "https://example.org/be4.bin" << false;
}

void PatchDialogTest::droppedFilesFillOnlyThePathFields() {
  QFETCH(int, target);
  QFETCH(QString, url);
  QFETCH(bool, fills);
  DialogProbe d;
  RunModal(d, [&] {
    const int field = target == 0 ? IDC_SOURCE : target;
    const QString before = d.Control<QLineEdit>(field)->text();
    DropUrls(target == 0 ? fw::WidgetOf(d) : d.Control(target),
             {QUrl(url), QUrl("file:///second.bin")});
    QCOMPARE(d.Control<QLineEdit>(field)->text(),
             fills ? QString("/home/user/images/be4 v135.bin") : before);
  });
}

void PatchDialogTest::tabOrderFollowsTheTemplate() {
  DialogProbe d;
  RunModal(d, [&] {
    for (int id : kMainDialogTabOrder) {
      QCOMPARE(QApplication::focusWidget(), d.Control(id));
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(QApplication::focusWidget(), d.Control(IDC_MODEL));  // the hidden end is skipped
  });
}

void PatchDialogTest::geometryFollowsTheDialogFont() {
  DialogProbe d;
  RunModal(d, [&] {
    QWidget* window = fw::WidgetOf(d);
    const fw::BaseUnits units = fw::BaseUnitsOf(window->font());
    QCOMPARE(window->size(), fw::DialogUnitsToPixels(0, 0, 367, 178, units).size());
    QCOMPARE(d.Control(IDC_DO)->geometry(), fw::DialogUnitsToPixels(297, 139, 50, 14, units));
    QCOMPARE(d.Control(IDC_SOURCE)->geometry(), fw::DialogUnitsToPixels(124, 51, 161, 14, units));
    QCOMPARE(d.Control(IDC_END)->geometry(), fw::DialogUnitsToPixels(283, 27, 77, 14, units));
    const QRect model = d.Control(IDC_MODEL)->geometry();
    QCOMPARE(model.topLeft(), fw::DialogUnitsToPixels(127, 28, 75, 78, units).topLeft());
    QVERIFY(model.height() < fw::DialogUnitsToPixels(0, 0, 0, 78, units).height());
    // No two controls of the form overlap.
    const auto children = window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* a : children)
      for (QWidget* b : children)
        if (a < b && a->isVisible() && b->isVisible() && !qobject_cast<QMenu*>(a) &&
            !qobject_cast<QMenu*>(b))
          QVERIFY2(!a->geometry().intersects(b->geometry()),
                   qPrintable(a->objectName() + " overlaps " + b->objectName()));
  });
}

void PatchDialogTest::pixelGeometryWithAKnownFont() {
  DialogProbe d;
  RunModal(d, [&] {
    QWidget* window = fw::WidgetOf(d);
    if (QFontInfo(window->font()).family() != "DejaVu Sans" || window->font().pointSize() != 8)
      QSKIP("the dialog font here is not DejaVu Sans 8 pt");
    // DejaVu Sans at 8 pt: 52 letters are 353 pixels wide, so 7 x 13 pixel base units.
    QCOMPARE(window->size(), QSize(642, 289));
    QCOMPARE(d.Control(IDC_DO)->geometry(), QRect(520, 226, 88, 23));
    QCOMPARE(d.Control(IDC_START)->geometry(), QRect(495, 15, 135, 23));
    QCOMPARE(d.Control(IDC_TRANSCRIPT)->geometry(), QRect(217, 132, 282, 23));
    QCOMPARE(d.Control(fw::IDCANCEL)->geometry(), QRect(12, 255, 88, 23));
  });
}

void PatchDialogTest::f1AsksTheApplicationForHelp() {
  DialogProbe d;
  RunModal(d, [&] {
    QString caption, text;
    QVERIFY(HandleNextModal(
        [&](QWidget* box) {
          caption = box->windowTitle();
          text = qobject_cast<QMessageBox*>(box)->text();
          PressOk(box);
        },
        [&] { QTest::keyClick(d.Control(IDC_SOURCE), Qt::Key_F1); }));
    QCOMPARE(caption, QString("ui_tests"));
    QCOMPARE(text, QString("No help is available for ui_tests."));
  });
}

}  // namespace zarneth::test

// Do through the form: result dialogs, files byte for byte, file errors; the About box and
// the minimized icon.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "address_cases.h"
#include "dialog_probe.h"
#include "dying_run.h"
#include "fault_injection.h"
#include "file_paths.h"
#include "modal_helpers.h"
#include "paint_dc.h"
#include "qt_window.h"
#include "system_call_hook.h"
#include "temp_dir.h"
#include "ui_tests.h"

namespace zarneth::test {
namespace {

using namespace zarneth::res;

struct Seen {
  bool opened = false;
  QString caption;
  QStringList texts;
  QWidget* owner = nullptr;
  bool modal = false;
};

// Presses Do and closes whatever modal window it opens, recording what it showed.
Seen PressDo(DialogProbe& d) {
  Seen seen;
  seen.opened = HandleNextModal(
      [&](QWidget* modal) {
        seen.caption = modal->windowTitle();
        seen.texts = qobject_cast<QMessageBox*>(modal)
                         ? QStringList{qobject_cast<QMessageBox*>(modal)->text()}
                         : LabelTexts(modal);
        seen.texts.replaceInStrings("\n", " ");  // the detail's wrapped lines, read as one
        seen.owner = modal->parentWidget();
        seen.modal = modal->isModal();
        PressOk(modal);
      },
      [&] { QTest::mouseClick(d.Control(IDC_DO), Qt::LeftButton); });
  return seen;
}

void SetText(DialogProbe& d, int id, const std::string& text) {
  d.Control<QLineEdit>(id)->setText(QString::fromStdString(text));
}

std::unique_ptr<TempDir> g_dir;

}  // namespace

void DoCommandTest::init() {
  g_dir = std::make_unique<TempDir>();
  WriteBytes(*g_dir / "image.bin", Pattern(0x200000, 1));
  WriteBytes(*g_dir / "transcript.bin", Pattern(75776, 2));
}

void DoCommandTest::cleanup() {
  g_dir.reset();
}

void DoCommandTest::emptyFieldsShowTheFailureDialogInEitherMode() {
  DialogProbe d;
  RunModal(d, [&] {
    for (int round = 0; round < 2; ++round) {
      const Seen seen = PressDo(d);
      QVERIFY(seen.opened);
      QCOMPARE(seen.caption, QString("Can't doing"));
      QCOMPARE(seen.texts, (QStringList{"Can'n open files!", "No source file given"}));
      QCOMPARE(seen.owner, fw::WidgetOf(d));  // owned by the main window, which waits
      QVERIFY(seen.modal);
      QTest::mouseClick(d.Control(IDC_MODE), Qt::LeftButton);
    }
  });
  QCOMPARE(std::distance(std::filesystem::directory_iterator(g_dir->Path()),
                         std::filesystem::directory_iterator()),
           2);
}

void DoCommandTest::patchesThroughTheFormInBothVariants() {
  const Bytes image = ReadBytes(*g_dir / "image.bin");
  const Bytes transcript = ReadBytes(*g_dir / "transcript.bin");
  const Bytes patched = Concat({Slice(image, 0, 0x1C7800), transcript,
                                Slice(image, 0x1C7800 + 75776, 0x200000 - 0x1C7800 - 75776)});
  DialogProbe d;
  RunModal(d, [&] {
    SetText(d, IDC_SOURCE, *g_dir / "image.bin");
    SetText(d, IDC_TRANSCRIPT, *g_dir / "transcript.bin");
    SetText(d, IDC_DESTINATION, *g_dir / "patched.bin");
    SetText(d, IDC_START, "1c7800");
    Seen seen = PressDo(d);
    QCOMPARE(seen.caption, QString("Zarneth done"));
    QCOMPARE(seen.texts.value(0), QString("Zarneth done."));
    // What the run did, in zarneth-cli's words.
    QVERIFY2(seen.texts.value(1).startsWith("Wrote '") &&
                 seen.texts.value(1).endsWith(
                     "transcript.bin' at 0x1C7800, CRC-32 " +
                     QString::fromStdString(CrcOf(ReadBytes(*g_dir / "transcript.bin")))),
             qPrintable(seen.texts.value(1)));
    QVERIFY(ReadBytes(*g_dir / "patched.bin") == patched);
    QVERIFY(ReadBytes(*g_dir / "image.bin") == image);
    QCOMPARE(d.m_start, 0x1C7800u);
    QCOMPARE(QString::fromStdString(d.m_destPath), QString::fromStdString(*g_dir / "patched.bin"));

    // The form is unchanged by a run; in place, the same form changes the image itself.
    QCOMPARE(d.Control<QLineEdit>(IDC_START)->text(), QString("1c7800"));
    QTest::mouseClick(d.Control(IDC_CREATE_NEW), Qt::LeftButton);
    seen = PressDo(d);
    QCOMPARE(seen.caption, QString("Zarneth done"));
    QVERIFY(ReadBytes(*g_dir / "image.bin") == patched);
  });
}

void DoCommandTest::inPlaceNeedsNoDestination() {
  DialogProbe d;
  RunModal(d, [&] {
    SetText(d, IDC_SOURCE, *g_dir / "image.bin");
    SetText(d, IDC_TRANSCRIPT, *g_dir / "transcript.bin");
    QTest::mouseClick(d.Control(IDC_CREATE_NEW), Qt::LeftButton);
    QCOMPARE(PressDo(d).caption, QString("Zarneth done"));
    QVERIFY(d.m_destPath.empty());
  });
  QVERIFY(Slice(ReadBytes(*g_dir / "image.bin"), 0x1CD800, 75776) ==
          ReadBytes(*g_dir / "transcript.bin"));
}

void DoCommandTest::cutShowsDoneAndWritesTheRange() {
  DialogProbe d;
  RunModal(d, [&] {
    QTest::mouseClick(d.Control(IDC_MODE), Qt::LeftButton);
    QTest::keyClick(d.Control(IDC_MODEL), Qt::Key_End);  // V138: longer than one buffer
    SetText(d, IDC_SOURCE, *g_dir / "image.bin");
    SetText(d, IDC_DESTINATION, *g_dir / "block.bin");
    const Seen seen = PressDo(d);
    QCOMPARE(seen.texts.value(0), QString("Zarneth done."));
    QVERIFY2(seen.texts.value(1).startsWith("Cut 89156 bytes (0x1C7800 to 0x1DD443) of '"),
             qPrintable(seen.texts.value(1)));
    QCOMPARE(d.m_cutLength, 89156u);
    QCOMPARE(d.m_start, 0x1C7800u);
  });
  QVERIFY(ReadBytes(*g_dir / "block.bin") ==
          Slice(ReadBytes(*g_dir / "image.bin"), 0x1C7800, 89156));
}

void DoCommandTest::cutWithoutDestinationFails() {
  DialogProbe d;
  RunModal(d, [&] {
    QTest::mouseClick(d.Control(IDC_MODE), Qt::LeftButton);
    SetText(d, IDC_SOURCE, *g_dir / "image.bin");
    QCOMPARE(PressDo(d).caption, QString("Can't doing"));
  });
}

void DoCommandTest::aTranscriptPastTheModelsBlockIsWrittenOnlyAfterYes_data() {
  QTest::addColumn<bool>("inPlace");
  QTest::addColumn<int>("answer");  // a key, or 0 to press Yes
  for (const bool inPlace : {false, true}) {
    const char* variant = inPlace ? "in place" : "patched copy";
    QTest::addRow("%s, Escape", variant) << inPlace << int{Qt::Key_Escape};
    QTest::addRow("%s, Enter", variant) << inPlace << int{Qt::Key_Return};
    QTest::addRow("%s, Yes", variant) << inPlace << 0;
  }
}

void DoCommandTest::aTranscriptPastTheModelsBlockIsWrittenOnlyAfterYes() {
  QFETCH(bool, inPlace);
  QFETCH(int, answer);
  const Bytes image = ReadBytes(*g_dir / "image.bin");
  const Bytes transcript = Pattern(89156, 3);  // a V138 block, for V135's place
  WriteBytes(*g_dir / "transcript.bin", transcript);
  const std::string written = *g_dir / (inPlace ? "image.bin" : "patched.bin");
  DialogProbe d;
  RunModal(d, [&] {
    SetText(d, IDC_SOURCE, *g_dir / "image.bin");
    SetText(d, IDC_TRANSCRIPT, *g_dir / "transcript.bin");
    SetText(d, IDC_DESTINATION, *g_dir / "patched.bin");
    if (inPlace)
      QTest::mouseClick(d.Control(IDC_CREATE_NEW), Qt::LeftButton);
    QString question, caption, done;
    const int modals = HandleModals({[&](QWidget* modal) {
                                       auto* box = qobject_cast<QMessageBox*>(modal);
                                       QVERIFY(box);
                                       question = box->text();
                                       caption = box->windowTitle();
                                       if (answer != 0)
                                         QTest::keyClick(box, static_cast<Qt::Key>(answer));
                                       else
                                         box->button(QMessageBox::Yes)->click();
                                     },
                                     [&](QWidget* modal) {
                                       done = LabelTexts(modal).value(0);
                                       PressOk(modal);
                                     }},
                                    [&] { QTest::mouseClick(d.Control(IDC_DO), Qt::LeftButton); });
    QCOMPARE(caption, QString("ui_tests"));  // the application's name
    QCOMPARE(question, QString("The transcript (89156 bytes) is longer than the language block "
                               "of V135 (75776 bytes): 13380 bytes after the block, up to "
                               "0x1E3443, would be overwritten. Write it anyway?"));
    QCOMPARE(modals, answer == 0 ? 2 : 1);  // No: back to the form, no result dialog
    QCOMPARE(done, answer == 0 ? QString("Zarneth done.") : QString());
  });
  const Bytes patched = Concat({Slice(image, 0, 0x1CD800), transcript,
                                Slice(image, 0x1CD800 + 89156, 0x200000 - 0x1CD800 - 89156)});
  QVERIFY(ReadBytes(*g_dir / "image.bin") == (inPlace && answer == 0 ? patched : image));
  QCOMPARE(std::filesystem::exists(*g_dir / "patched.bin"), !inPlace && answer == 0);
  if (answer == 0)
    QVERIFY(ReadBytes(written) == patched);
}

void DoCommandTest::aFileErrorIsReportedAndTheFormStaysUsable() {
  const Bytes image = ReadBytes(*g_dir / "image.bin");
  DialogProbe d;
  RunModal(d, [&] {
    SetText(d, IDC_SOURCE, *g_dir / "image.bin");
    SetText(d, IDC_TRANSCRIPT, *g_dir / "transcript.bin");
    QTest::mouseClick(d.Control(IDC_CREATE_NEW), Qt::LeftButton);
    Seen seen;
    {
      // The disk refuses to sync the new image: the old one stays, and the run reports.
      test::ScopedFaults faults;
      faults.FailSync(1);
      seen = PressDo(d);
    }
    QVERIFY(seen.opened);
    QCOMPARE(seen.caption, QString("ui_tests"));  // the application's name
    QCOMPARE(seen.texts.size(), 1);
    QVERIFY2(seen.texts[0].startsWith("cannot sync file"), qPrintable(seen.texts[0]));
    QVERIFY(QApplication::activeModalWidget() == fw::WidgetOf(d));
    QVERIFY(ReadBytes(*g_dir / "image.bin") == image);

    // The run's files were closed: the next run on the same image succeeds.
    QCOMPARE(PressDo(d).caption, QString("Zarneth done"));
  });
  QVERIFY(ReadBytes(*g_dir / "image.bin") != image);
  QCOMPARE(std::distance(std::filesystem::directory_iterator(g_dir->Path()),
                         std::filesystem::directory_iterator()),
           2);
}

void DoCommandTest::addressesFollowTheEnginesOneRule_data() {
  QTest::addColumn<int>("row");
  for (std::size_t i = 0; i < AddressCases().size(); ++i)
    QTest::newRow(AddressCases()[i].name) << static_cast<int>(i);
}

void DoCommandTest::addressesFollowTheEnginesOneRule() {
  QFETCH(int, row);
  const AddressCase& c = AddressCases()[static_cast<std::size_t>(row)];
  const Bytes image = ReadBytes(*g_dir / "image.bin");
  WriteBytes(*g_dir / "transcript.bin", Pattern(16, 2));
  DialogProbe d;
  RunModal(d, [&] {
    SetText(d, IDC_SOURCE, *g_dir / "image.bin");
    SetText(d, IDC_TRANSCRIPT, *g_dir / "transcript.bin");
    QTest::mouseClick(d.Control(IDC_CREATE_NEW), Qt::LeftButton);
    SetText(d, IDC_START, c.text);
    const Seen seen = PressDo(d);
    const bool inside = c.value && std::uint64_t{*c.value} + 16 <= image.size();
    QCOMPARE(seen.caption, QString(inside ? "Zarneth done" : "Can't doing"));
    const QString why = seen.texts.value(1);
    const bool blank = c.text.find_first_not_of(" \t") == std::string::npos;
    if (!c.value)
      QVERIFY2(why.contains(blank ? "The start address is empty" : "is not an address"),
               qPrintable(why));
    else if (!inside)
      QVERIFY2(why.contains("runs past the end of source file"), qPrintable(why));
    QCOMPARE(ReadBytes(*g_dir / "image.bin") == image, !inside);
  });
}

void DoCommandTest::aKilledRunLeavesTheImageAndAnUnconfirmedRunSaysSo() {
  const Bytes image = ReadBytes(*g_dir / "image.bin");
  PatchJob killed;
  killed.createNewFile = false;
  killed.sourcePath = *g_dir / "image.bin";
  killed.transcriptPath = *g_dir / "transcript.bin";
  killed.startText = "1000";
  QVERIFY(RunDyingAt(killed, kSyncCallName, 1));  // the new image written, not yet in place
  QVERIFY(ReadBytes(*g_dir / "image.bin") == image);
  DialogProbe d;
  RunModal(d, [&] {
    SetText(d, IDC_SOURCE, *g_dir / "image.bin");
    SetText(d, IDC_TRANSCRIPT, *g_dir / "transcript.bin");
    QTest::mouseClick(d.Control(IDC_CREATE_NEW), Qt::LeftButton);
    Seen seen;
    {
      // The folder's sync after the rename fails: the image is new, the dialog says so.
      test::ScopedFaults faults;
      faults.FailSync(2);
      seen = PressDo(d);
    }
    QCOMPARE(seen.caption, QString("Zarneth done"));
    QCOMPARE(seen.texts.value(0), QString("Zarneth done."));
    QVERIFY2(seen.texts.value(1).startsWith("Patched '") &&
                 seen.texts.value(1).contains("at 0x1CD800, CRC-32 0x") &&
                 seen.texts.value(1).contains("The new content is in place in '") &&
                 seen.texts.value(1).contains("did not confirm that it is on the disk"),
             qPrintable(seen.texts.value(1)));
  });
  QVERIFY(ReadBytes(*g_dir / "image.bin") != image);
}

void DoCommandTest::theFailureDialogGrowsToShowALongReason() {
  // Wide letters, so that a layout by counting characters would overflow the control.
  std::string wide;
  for (int i = 0; i < 30; ++i)
    wide += "WШ";
  const std::string deep = *g_dir / wide;
  std::filesystem::create_directory(PathFromUtf8(deep));
  DialogProbe d;
  RunModal(d, [&] {
    SetText(d, IDC_SOURCE, deep + "/missing-image.bin");
    SetText(d, IDC_TRANSCRIPT, *g_dir / "transcript.bin");
    SetText(d, IDC_DESTINATION, *g_dir / "patched.bin");
    QRect ok, reason;
    QString text;
    int widest = 0;
    int lineSpacing = 0;
    QVERIFY(HandleNextModal(
        [&](QWidget* modal) {
          for (QLabel* label : modal->findChildren<QLabel*>()) {
            if (!label->text().contains("missing-image"))
              continue;
            reason = label->geometry(), text = label->text();
            const QFontMetrics metrics(label->font());
            lineSpacing = metrics.lineSpacing();
            for (const QString& line : text.split('\n'))
              widest = std::max(widest, metrics.horizontalAdvance(line));
          }
          for (QPushButton* button : modal->findChildren<QPushButton*>())
            ok = button->geometry();
          QVERIFY(modal->windowTitle() == "Can't doing");
          QVERIFY(modal->rect().contains(reason) && modal->rect().contains(ok));
          QVERIFY(ok.top() >= reason.bottom());
          PressOk(modal);
        },
        [&] { QTest::mouseClick(d.Control(IDC_DO), Qt::LeftButton); }));
    QVERIFY2(text.count('\n') >= 2, qPrintable(text));
    // Every character inside the control: each line as wide as it at most, every line within
    // its height, the system's reason on the last.
    QVERIFY2(widest <= reason.width(),
             qPrintable(QString("%1 > %2").arg(widest).arg(reason.width())));
    QVERIFY((text.count('\n') + 1) * lineSpacing <= reason.height() + lineSpacing / 2);
    QVERIFY(
        QString(text).replace('\n', ' ').endsWith("missing-image.bin': No such file or directory"));
  });
}

void DoCommandTest::aboutBoxFromTheWindowMenu() {
  DialogProbe d;
  RunModal(d, [&] {
    fw::CMenu* menu = d.GetSystemMenu(false);
    QVERIFY(menu);
    const auto& entries = menu->Entries();
    QVERIFY(entries[entries.size() - 2].flags & fw::MF_SEPARATOR);
    QCOMPARE(entries.back().id, 0x0010u);
    QCOMPARE(QString::fromStdString(entries.back().text), QString("&About Zarneth..."));

    QString caption;
    QStringList texts;
    bool hasIcon = false;
    QVERIFY(HandleNextModal(
        [&](QWidget* about) {
          caption = about->windowTitle();
          texts = LabelTexts(about);
          for (QLabel* label : about->findChildren<QLabel*>())
            hasIcon = hasIcon || label->pixmap().size() == QSize(32, 32);
          PressOk(about);
        },
        [&] { menu->Choose(entries.back().id); }));
    QCOMPARE(caption, QString("About Zarneth"));
    QCOMPARE(texts.value(0), QString("Zarneth Version 1.0"));
    QCOMPARE(texts.size(), 2);
    QVERIFY(hasIcon);
  });
}

void DoCommandTest::minimizedIconIsCentred_data() {
  QTest::addColumn<QSize>("size");
  QTest::newRow("larger than the icon") << QSize(160, 120);
  QTest::newRow("one pixel larger") << QSize(33, 33);
  QTest::newRow("smaller than the icon") << QSize(20, 10);
}

void DoCommandTest::minimizedIconIsCentred() {
  QFETCH(QSize, size);
  DialogProbe d;
  RunModal(d, [&] {
    QWidget* window = fw::WidgetOf(d);
    window->showMinimized();
    QVERIFY(d.IsIconic());
    window->setFixedSize(size);
    QImage painted(size, QImage::Format_ARGB32);
    painted.fill(Qt::transparent);
    window->render(&painted, QPoint(), QRegion(), QWidget::DrawWindowBackground);

    // Truncating division: (w - 32 + 1) / 2, negative when the window is small.
    QImage expected(size, QImage::Format_ARGB32);
    expected.fill(window->palette().window().color());
    QPainter painter(&expected);
    painter.drawPixmap((size.width() - 31) / 2, (size.height() - 31) / 2,
                       d.m_hIcon->icon.pixmap(32, 32));
    painter.end();
    QCOMPARE(painted, expected);
  });
}

}  // namespace zarneth::test

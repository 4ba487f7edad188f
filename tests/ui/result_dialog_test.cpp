#include <QTest>

#include "result_dialog.h"
#include "ui_tests.h"

namespace zarneth::test {

void ResultDialogTest::wrapsAtSpacesThenPathsThenAnywhere_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("columns");
  QTest::addColumn<QStringList>("lines");
  QTest::newRow("fits") << "no source file given" << 40 << QStringList{"no source file given"};
  QTest::newRow("at spaces") << "the file is in use" << 8
                             << QStringList{"the file", "is in", "use"};
  QTest::newRow("a path at its slashes")
      << "file /home/user/images/be4.bin: gone" << 12
      << QStringList{"file", "/home/user/", "images/", "be4.bin:", "gone"};
  QTest::newRow("a word without slashes") << "abcdefghij" << 4 << QStringList{"abcd", "efgh", "ij"};
  QTest::newRow("too many lines elide the middle")
      << "a b c d e f g" << 1 << QStringList{"a", "b", "c", "...", "g"};
  QTest::newRow("a Windows path at its backslashes")
      << "file C:\\Users\\me\\be4.bin" << 9
      << QStringList{"file", "C:\\Users\\", "me\\", "be4.bin"};
  QTest::newRow("wide letters stay whole")
      << "файл\u00fc" << 2 << QStringList{"фа", "йл", "\u00fc"};
}

void ResultDialogTest::wrapsAtSpacesThenPathsThenAnywhere() {
  QFETCH(QString, text);
  QFETCH(int, columns);
  QFETCH(QStringList, lines);
  QStringList wrapped;
  // One unit a character, whatever its bytes.
  const TextWidth characters = [](std::string_view part) {
    return static_cast<int>(
        QString::fromUtf8(part.data(), static_cast<qsizetype>(part.size())).size());
  };
  for (const std::string& line : WrapDetail(text.toStdString(), columns, 5, characters))
    wrapped << QString::fromStdString(line);
  QCOMPARE(wrapped, lines);
}

}  // namespace zarneth::test

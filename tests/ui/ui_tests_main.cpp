#include <QApplication>
#include <QTest>

#include "patch_app.h"
#include "ui_tests.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  zarneth::CPatchApp app;  // registers the resources, as in the program
  int failed = 0;
  zarneth::test::PatchDialogTest patchDialog;
  failed += QTest::qExec(&patchDialog, argc, argv);
  // A run at another scale (QT_SCALE_FACTOR) names the form's cases it is for.
  if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
    return failed == 0 ? 0 : 1;
  zarneth::test::DoCommandTest doCommand;
  failed += QTest::qExec(&doCommand, argc, argv);
  zarneth::test::ResultDialogTest resultDialog;
  failed += QTest::qExec(&resultDialog, argc, argv);
  return failed == 0 ? 0 : 1;
}

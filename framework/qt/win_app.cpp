#include "win_app.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <iostream>

namespace zarneth::fw {

std::string CWinApp::GetAppName() const {
  if (!m_appName.empty())
    return m_appName;
  // completeBaseName drops only the last extension: "Zarneth.EXE" gives "Zarneth".
  const QString file =
      QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
  return QFileInfo(file).completeBaseName().toStdString();
}

int AfxWinMain(int argc, char** argv) {
  QApplication application(argc, argv);
  CWinApp* app = AfxGetApp();
  if (!app)
    return 1;
  application.setApplicationName(QString::fromStdString(app->GetAppName()));
  // InitInstance runs the main dialog itself; false means the program is finished.
  if (!app->InitInstance())
    return 0;
  return application.exec();
}

std::ostream& AfxCommandLineOutput() {
  return std::cout;
}

int AfxMessageBox(const std::string& text, unsigned type) {
  const QString caption = AfxGetApp() ? QString::fromStdString(AfxGetApp()->GetAppName())
                                      : QCoreApplication::applicationName();
  QMessageBox box((type & MB_ICONERROR) ? QMessageBox::Critical : QMessageBox::NoIcon, caption,
                  QString::fromStdString(text), QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
  return IDOK;
}

}  // namespace zarneth::fw

#include "win_app.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace zarneth::fw {
namespace {

CWinApp* g_app = nullptr;

}  // namespace

CWinApp::CWinApp(const char* appName) : m_appName(appName ? appName : "") {
  g_app = this;
}

CWinApp::~CWinApp() {
  if (g_app == this)
    g_app = nullptr;
}

bool CWinApp::InitInstance() {
  return true;
}

void CWinApp::OnHelp() {
  AfxMessageBox("No help is available for " + GetAppName() + ".", MB_OK);
}

bool CWinApp::OnCmdMsg(int id) {
  for (const AppMessageMapEntry& entry : GetMessageMap()) {
    if (entry.id == id) {
      (this->*entry.handler)();
      return true;
    }
  }
  return false;
}

std::span<const AppMessageMapEntry> CWinApp::GetMessageMap() const {
  return {};
}

std::string CWinApp::GetAppName() const {
  if (!m_appName.empty())
    return m_appName;
  // completeBaseName drops only the last extension: "Zarneth.EXE" gives "Zarneth".
  const QString file =
      QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
  return QFileInfo(file).completeBaseName().toStdString();
}

CWinApp* AfxGetApp() {
  return g_app;
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

int AfxMessageBox(const std::string& text, unsigned type) {
  const QString caption = AfxGetApp() ? QString::fromStdString(AfxGetApp()->GetAppName())
                                      : QCoreApplication::applicationName();
  QMessageBox box((type & MB_ICONERROR) ? QMessageBox::Critical : QMessageBox::NoIcon, caption,
                  QString::fromStdString(text), QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
  return IDOK;
}

}  // namespace zarneth::fw

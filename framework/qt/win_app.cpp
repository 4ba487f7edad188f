#include "win_app.h"
#include "words.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>
#include <cstdlib>
#include <iostream>
#include <string_view>

namespace zarneth::fw {

std::string CWinApp::GetAppName() const {
  if (!m_appName.empty())
    return m_appName;
  // completeBaseName drops only the last extension: "Zarneth.EXE" gives "Zarneth".
  const QString file =
      QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
  return QFileInfo(file).completeBaseName().toStdString();
}

namespace {

// Whether Qt would find no screen to open a window on: the X11 or Wayland platform (the
// default) with neither display named. Qt itself would abort then.
bool NoDisplay() {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  const bool needsDisplay =
      platform.isEmpty() || platform.startsWith("xcb") || platform.startsWith("wayland");
  return needsDisplay && qEnvironmentVariableIsEmpty("DISPLAY") &&
         qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

std::string programName;
std::string firstPlatformWarning;

// While the application starts: keeps Qt's first word on its platform plugin ("could not
// connect to display :99") and turns the fatal end that follows into the program's own line.
void ReportPlatformFailure(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
  const bool platform =
      context.category && std::string_view(context.category).starts_with("qt.qpa");
  if (type == QtFatalMsg) {
    std::string reason =
        firstPlatformWarning.empty() ? message.toStdString() : firstPlatformWarning;
    // A session whose display needs a plugin this machine lacks (Wayland without
    // qt6-wayland): Qt names the plugin only.
    if (reason.find("platform plugin") != std::string::npos)
      reason = zarneth::Tr(
          "no display could be opened: this Qt has no plugin for the session's display "
          "system (for Wayland, install qt6-wayland)");
    std::cerr << programName << ": " << zarneth::TrFill("cannot open a window: %s", {reason})
              << "\n";
    std::_Exit(1);
  }
  if (platform && firstPlatformWarning.empty())
    firstPlatformWarning = message.toStdString();
  else if (!platform)
    std::cerr << message.toStdString() << "\n";
}

}  // namespace

void AfxSetDesktopEntry(const std::string& name) {
  QGuiApplication::setDesktopFileName(QString::fromStdString(name));
}

int AfxWinMain(int argc, char** argv) {
  if (NoDisplay()) {
    const std::string program = argc > 0 ? QFileInfo(argv[0]).fileName().toStdString() : "";
    std::cerr << program << ": " << zarneth::Tr("cannot open a window: no display") << "\n";
    return 1;
  }
  // A display that is named but cannot be opened ends Qt with an abort and five lines; the
  // program says it in one line instead, with the reason Qt gave first, and exits 1.
  programName = argc > 0 ? QFileInfo(argv[0]).fileName().toStdString() : "";
  qInstallMessageHandler(ReportPlatformFailure);
  QApplication application(argc, argv);
  qInstallMessageHandler(nullptr);
  // The buttons Qt draws itself (Yes, No) in the user's language, where the system has Qt's
  // own translations; the program's words come from its catalogs.
  QTranslator qtWords;
  if (qtWords.load(QLocale::system(), "qtbase", "_",
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtWords);
  CWinApp* app = AfxGetApp();
  if (!app)
    return 1;
  // Qt's application name stays the executable's: the window system's class of the windows
  // (WM_CLASS), which the desktop entry names, comes from it. The application's own name is
  // the caption of its message boxes.
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
  const bool yesNo = (type & MB_YESNO) != 0;
  const QMessageBox::Icon icon = (type & MB_ICONERROR)      ? QMessageBox::Critical
                                 : (type & MB_ICONQUESTION) ? QMessageBox::Question
                                                            : QMessageBox::NoIcon;
  QMessageBox box(icon, caption, QString::fromStdString(text),
                  yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                  QApplication::activeWindow());
  if (!yesNo) {
    box.exec();
    return IDOK;
  }
  box.setDefaultButton((type & MB_DEFBUTTON2) ? QMessageBox::No : QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes ? IDYES : IDNO;
}

}  // namespace zarneth::fw

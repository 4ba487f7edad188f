// zarneth: the dialog. Answers --version and --help on the terminal; otherwise opens the
// dialog and ends when it closes.
#include <iostream>

#include "command_line.h"
#include "patch_app.h"
#include "version_record.h"
#include "win_app.h"
#include "words.h"

namespace {

zarneth::CPatchApp theApp;

}  // namespace

int main(int argc, char** argv) {
  zarneth::UseUserLanguage();
  if (argc > 1) {
    std::ostream& out = zarneth::fw::AfxCommandLineOutput();
    if (const auto answered = zarneth::AnswerCommandLine(argc, argv, out, std::cerr))
      return *answered;
  }
  zarneth::fw::AfxSetDesktopEntry(zarneth::version::kAppId);
  return zarneth::fw::AfxWinMain(argc, argv);
}

// zarneth: the dialog. Answers --version and --help on the terminal; otherwise opens the
// dialog and ends when it closes.
#include "command_line.h"
#include "patch_app.h"
#include "win_app.h"

namespace {

zarneth::CPatchApp theApp;

}  // namespace

int main(int argc, char** argv) {
  if (const auto answered =
          zarneth::AnswerCommandLine(argc, argv, zarneth::fw::AfxCommandLineOutput()))
    return *answered;
  return zarneth::fw::AfxWinMain(argc, argv);
}

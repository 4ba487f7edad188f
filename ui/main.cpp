// zarneth: the dialog. Takes no arguments; ends when the dialog closes.
#include "patch_app.h"
#include "win_app.h"

namespace {

zarneth::CPatchApp theApp;

}  // namespace

int main(int argc, char** argv) {
  return zarneth::fw::AfxWinMain(argc, argv);
}

// What only the framework's Win32 backend has to show: a template becomes the system's own
// controls, in the template's font.
#include <gtest/gtest.h>

#include "dialog_driver.h"
#include "test_dialog.h"
#include "win32_window.h"
#include "win_app.h"

namespace zarneth::fw::test {
namespace {

// The dialog driver and its helpers.
using namespace zarneth::test;

std::string ClassOf(HWND window) {
  char name[32] = {};
  ::GetClassNameA(window, name, 32);
  return name;
}

TEST(Win32FrameworkTest, TemplatesBecomeTheSystemsControlsInTheDialogFont) {
  TestDialog dialog;
  RunDialog(dialog, [&](DialogDriver&) {
    EXPECT_EQ(ClassOf(HwndOf(dialog.GetDlgItem(kCombo))), "ComboBox");
    EXPECT_EQ(ClassOf(HwndOf(dialog.GetDlgItem(kEdit))), "Edit");
    EXPECT_EQ(ClassOf(HwndOf(dialog.GetDlgItem(kCheck))), "Button");
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(HwndOf(dialog), WM_GETFONT, 0, 0)),
                 sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif");
  });
}

TEST(Win32FrameworkTest, TheApplicationIsNamedAfterItsExecutable) {
  EXPECT_EQ(AfxGetApp()->GetAppName(), "win32_framework_tests");
}

}  // namespace
}  // namespace zarneth::fw::test

int main(int argc, char** argv) {
  zarneth::fw::CWinApp app;  // unnamed: named after the executable
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

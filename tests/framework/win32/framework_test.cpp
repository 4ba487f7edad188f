// The framework's Win32 backend under Wine: templates become the system's controls in the
// dialog's font, notifications reach the message map, and an error escaping a handler is
// reported in a message box while the dialog stays open.
#include <gtest/gtest.h>

#include <stdexcept>

#include "dialog.h"
#include "modal_driver.h"
#include "resource_registry.h"
#include "win_app.h"

namespace zarneth::fw {
namespace {

using test::CloseNextModal;
using test::RunModal;

constexpr int kTemplate = 900;
enum : int { kEdit = 10, kCheck = 11, kCombo = 12, kThrow = 13, kHidden = 14 };

DialogTemplate TestTemplate() {
  // clang-format off
  return {kTemplate, "Framework test", 200, 100,
          WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, "MS Sans Serif", 8, {
      {kCombo, ControlClass::ComboBox, "", 10, 10, 60, 50,
       WS_VISIBLE | CBS_DROPDOWNLIST | CBS_SORT | WS_TABSTOP, 0, 0, {"b", "c", "a"}},
      {kEdit, ControlClass::Edit, "text", 10, 30, 80, 14, WS_VISIBLE | WS_BORDER | WS_TABSTOP, 0, 0, {}},
      {kHidden, ControlClass::Edit, "", 10, 50, 80, 14, WS_BORDER | WS_TABSTOP, 0, 0, {}},
      {kCheck, ControlClass::Button, "check", 10, 70, 60, 10,
       WS_VISIBLE | BS_AUTOCHECKBOX | WS_TABSTOP, 0, 0, {}},
      {kThrow, ControlClass::Button, "throw", 100, 70, 40, 14, WS_VISIBLE | WS_TABSTOP, 0, 0, {}},
  }};
  // clang-format on
}

class TestDialog : public CDialog {
 public:
  TestDialog() : CDialog(kTemplate) { InitModalIndirect(TestTemplate()); }
  int checkClicks = 0;
  int selectionChanges = 0;
  HWND Item(int id) const { return HwndOf(GetDlgItem(id)); }

 protected:
  std::span<const MessageMapEntry> GetMessageMap() const override { return kMap; }

 private:
  void OnCheck() { ++checkClicks; }
  void OnSelect() { ++selectionChanges; }
  void OnThrow() { throw std::runtime_error("cannot write file x: disk full"); }
  static const MessageMapEntry kMap[3];
};

const MessageMapEntry TestDialog::kMap[3] = {
    {kCheck, BN_CLICKED, Handler(&TestDialog::OnCheck)},
    {kCombo, CBN_SELCHANGE, Handler(&TestDialog::OnSelect)},
    {kThrow, BN_CLICKED, Handler(&TestDialog::OnThrow)},
};

std::string ClassOf(HWND window) {
  char name[32] = {};
  ::GetClassNameA(window, name, 32);
  return name;
}

TEST(Win32FrameworkTest, TemplatesBecomeTheSystemsControlsInTheDialogFont) {
  TestDialog dialog;
  RunModal(dialog, [&] {
    EXPECT_EQ(test::TextOf(HwndOf(dialog)), "Framework test");
    EXPECT_EQ(ClassOf(dialog.Item(kCombo)), "ComboBox");
    EXPECT_EQ(ClassOf(dialog.Item(kEdit)), "Edit");
    EXPECT_EQ(ClassOf(dialog.Item(kCheck)), "Button");
    EXPECT_EQ(test::TextOf(dialog.Item(kEdit)), "text");
    EXPECT_FALSE(::IsWindowVisible(dialog.Item(kHidden)));
    // The list is sorted by the system (CBS_SORT).
    wchar_t first[8] = {};
    ::SendMessageW(dialog.Item(kCombo), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_STREQ(first, L"a");
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(HwndOf(dialog), WM_GETFONT, 0, 0)),
                 sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif");
  });
}

TEST(Win32FrameworkTest, NotificationsReachTheMessageMapAndCancelEnds) {
  TestDialog dialog;
  const int result = RunModal(dialog, [&] {
    test::Click(dialog.Item(kCheck));
    EXPECT_EQ(dialog.checkClicks, 1);
    test::Pick(dialog.Item(kCombo), 2);
    EXPECT_EQ(dialog.selectionChanges, 1);
    // Setting a selection or a check from code sends no notification.
    ::SendMessageW(dialog.Item(kCombo), CB_SETCURSEL, 0, 0);
    ::SendMessageW(dialog.Item(kCheck), BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(dialog.selectionChanges, 1);
    EXPECT_EQ(dialog.checkClicks, 1);
    // The close box: WM_CLOSE becomes IDCANCEL.
    ::SendMessageW(HwndOf(dialog), WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(dialog.GetSafeHwnd(), nullptr) << "handles are detached after the dialog";
}

TEST(Win32FrameworkTest, AnErrorInAHandlerIsReportedAndTheDialogStays) {
  CWinApp app("framework_tests");
  TestDialog dialog;
  RunModal(dialog, [&] {
    const test::SeenModal box = CloseNextModal([&] { test::Click(dialog.Item(kThrow)); });
    ASSERT_TRUE(box.opened);
    EXPECT_EQ(box.caption, "framework_tests");
    ASSERT_FALSE(box.texts.empty());
    EXPECT_EQ(box.texts.back(), "cannot write file x: disk full");
    EXPECT_TRUE(::IsWindow(HwndOf(dialog))) << "the dialog stays open";
  });
}

}  // namespace
}  // namespace zarneth::fw

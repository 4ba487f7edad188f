// The dialog framework on either backend, with a small dialog of the tests' own: a template
// becomes a fixed window of controls in dialog units and template tab order, only the user's
// actions reach the message map, the close box cancels and lets go of every handle, an error
// escaping a handler is reported while the dialog stays, and the window menu's entries route
// to OnSysCommand.
#include <gtest/gtest.h>

#include <algorithm>

#include "dialog_driver.h"
#include "test_dialog.h"
#include "win_app.h"

namespace zarneth::fw::test {
namespace {

// The dialog driver and its helpers.
using namespace zarneth::test;

TEST(FrameworkTest, ATemplateBecomesControlsInDialogUnitsAndTabOrder) {
  TestDialog dialog;
  RunDialog(dialog, [&](DialogDriver& ui) {
    EXPECT_EQ(ui.Caption(), "Framework test");
    EXPECT_EQ(ui.ClientRect(), ui.UnitsToPixels({0, 0, 200, 100}));
    EXPECT_EQ(ui.ControlRect(kEdit), ui.UnitsToPixels({10, 30, 80, 14}));
    EXPECT_EQ(ui.Text(kEdit), "text");
    EXPECT_TRUE(ui.IsVisible(kEdit));
    EXPECT_FALSE(ui.IsVisible(kHidden));
    EXPECT_EQ(ui.Items(kCombo), (std::vector<std::string>{"a", "b", "c"}));  // sorted
    // Tab order is template order, skipping the hidden edit.
    EXPECT_TRUE(ui.HasFocus(kCombo));
    ui.PressTab();
    EXPECT_TRUE(ui.HasFocus(kEdit));
    ui.PressTab();
    EXPECT_TRUE(ui.HasFocus(kCheck));
  });
}

TEST(FrameworkTest, OnlyTheUserSendsNotifications) {
  TestDialog dialog;
  RunDialog(dialog, [&](DialogDriver& ui) {
    dialog.check.SetCheck(BST_CHECKED);
    dialog.combo.SetCurSel(2);
    EXPECT_EQ(dialog.checkClicks + dialog.selectionChanges, 0);
    EXPECT_EQ(dialog.combo.GetCurSel(), 2);
    EXPECT_EQ(dialog.combo.SetCurSel(7), CB_ERR);
    EXPECT_EQ(dialog.combo.GetCurSel(), CB_ERR);

    ui.Click(kCheck);
    EXPECT_EQ(dialog.checkClicks, 1);
    EXPECT_EQ(dialog.check.GetCheck(), BST_UNCHECKED);  // the box flipped itself
    dialog.combo.SetCurSel(0);
    ui.Pick(kCombo, 1);
    EXPECT_EQ(dialog.selectionChanges, 1);
    EXPECT_EQ(dialog.combo.GetCurSel(), 1);
  });
}

TEST(FrameworkTest, TheCloseBoxCancelsAndEveryHandleIsLetGo) {
  TestDialog dialog;
  EXPECT_EQ(RunDialog(dialog, [&](DialogDriver& ui) { ui.PressCloseBox(); }), IDCANCEL);
  EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
  EXPECT_EQ(dialog.check.GetSafeHwnd(), nullptr) << "bound controls are detached";
}

TEST(FrameworkTest, AnEscapingErrorIsReportedAndTheDialogStaysOpen) {
  TestDialog dialog;
  RunDialog(dialog, [&](DialogDriver& ui) {
    std::vector<Modal> seen = ui.Answer([&] { ui.Click(kThrow); }, {Reply::Ok});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, AfxGetApp()->GetAppName());
    ASSERT_FALSE(seen[0].texts.empty());
    EXPECT_EQ(seen[0].texts.back(), "cannot write file x: No space left on device");
    ui.Click(kCheck);
    EXPECT_EQ(dialog.checkClicks, 1) << "the dialog stays open and usable";

    dialog.outOfMemory = true;
    seen = ui.Answer([&] { ui.Click(kThrow); }, {Reply::Ok});
    ASSERT_EQ(seen.size(), 1u);
    ASSERT_FALSE(seen[0].texts.empty());
    EXPECT_EQ(seen[0].texts.back(), "There is not enough memory to finish this command.");
  });
}

// Entries appended to the window menu show in the system's menu and route to OnSysCommand;
// a reset takes them away again.
TEST(FrameworkTest, TheWindowMenuRoutesItsEntriesToOnSysCommand) {
  TestDialog dialog;
  RunDialog(dialog, [&](DialogDriver& ui) {
    CMenu* menu = dialog.GetSystemMenu(WindowMenu::AsItIs);
    ASSERT_TRUE(menu);
    const auto system = ui.WindowMenu();
    EXPECT_TRUE(std::any_of(system.begin(), system.end(),
                            [](const auto& item) { return item.id == SC_CLOSE; }));
    menu->AppendMenu(MF_SEPARATOR);
    menu->AppendMenu(MF_STRING, 0x0020, "&Extra");
    const auto items = ui.WindowMenu();
    ASSERT_GT(items.size(), 2u);
    EXPECT_TRUE(items[items.size() - 2].separator);
    EXPECT_EQ(items.back().id, 0x0020u);
    EXPECT_EQ(items.back().text, "&Extra");
    ui.ChooseFromWindowMenu(0x0020);
    EXPECT_EQ(dialog.lastSysCommand, 0x0020u);

    // A reset gives the system's own entries back, without what was appended.
    EXPECT_EQ(dialog.GetSystemMenu(WindowMenu::Reset), nullptr);
    ASSERT_TRUE(dialog.GetSystemMenu(WindowMenu::AsItIs));
    EXPECT_EQ(ui.WindowMenu().size(), system.size());
  });
}

}  // namespace
}  // namespace zarneth::fw::test

#pragma once

// A small dialog of the framework tests' own: a sorted list, an edit, a hidden edit, a check
// box, a button whose handler throws and a default button, with counters for what reached
// its message map.

#include <new>
#include <stdexcept>

#include "dialog.h"
#include "resource_registry.h"

namespace zarneth::fw::test {

enum : int { kEdit = 10, kCheck = 11, kCombo = 12, kThrow = 13, kHidden = 14, kDefault = 15 };

inline DialogTemplate TestTemplate() {
  constexpr unsigned kShown = WS_VISIBLE;
  // clang-format off
  return {900, "Framework test", 200, 100,
          WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME |
              DS_SETFONT, 0,
          "MS Sans Serif", 8, {
      {kCombo, ControlClass::ComboBox, "", 10, 10, 60, 50,
       kShown | CBS_DROPDOWNLIST | CBS_SORT | WS_TABSTOP, 0, 0, {"b", "c", "a"}},
      {kEdit, ControlClass::Edit, "text", 10, 30, 80, 14, kShown | WS_BORDER | WS_TABSTOP, 0, 0, {}},
      {IDC_STATIC, ControlClass::Static, "label", 100, 30, 40, 8, kShown | SS_RIGHT, 0, 0, {}},
      {kHidden, ControlClass::Edit, "", 10, 50, 80, 14, WS_BORDER | WS_TABSTOP, 0, 0, {}},
      {kCheck, ControlClass::Button, "check", 10, 70, 60, 10,
       kShown | BS_AUTOCHECKBOX | WS_TABSTOP, 0, 0, {}},
      {kThrow, ControlClass::Button, "throw", 100, 70, 40, 14, kShown | WS_TABSTOP, 0, 0, {}},
      {kDefault, ControlClass::Button, "default", 150, 70, 40, 14,
       kShown | BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 0, {}},
  }};
  // clang-format on
}

class TestDialog : public CDialog {
 public:
  TestDialog() : CDialog(900) { InitModalIndirect(TestTemplate()); }

  int checkClicks = 0;
  int selectionChanges = 0;
  int defaultClicks = 0;
  unsigned lastSysCommand = 0;
  bool outOfMemory = false;
  CButton check;
  CComboBox combo;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, kCheck, check);
    DDX_Control(pDX, kCombo, combo);
  }
  void OnSysCommand(unsigned id, long lParam) override {
    lastSysCommand = id;
    if (id != 0x0020)
      CDialog::OnSysCommand(id, lParam);
  }
  std::span<const MessageMapEntry> GetMessageMap() const override { return kMap; }

 private:
  void OnCheck() { ++checkClicks; }
  void OnSelect() { ++selectionChanges; }
  void OnThrow() {
    if (outOfMemory)
      throw std::bad_alloc();
    throw std::runtime_error("cannot write file x: No space left on device");
  }
  void OnDefault() { ++defaultClicks; }
  static const MessageMapEntry kMap[4];
};

inline const MessageMapEntry TestDialog::kMap[4] = {
    {kCheck, BN_CLICKED, Handler(&TestDialog::OnCheck)},
    {kCombo, CBN_SELCHANGE, Handler(&TestDialog::OnSelect)},
    {kThrow, BN_CLICKED, Handler(&TestDialog::OnThrow)},
    {kDefault, BN_CLICKED, Handler(&TestDialog::OnDefault)},
};

}  // namespace zarneth::fw::test

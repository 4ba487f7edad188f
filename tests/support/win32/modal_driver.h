#pragma once

// Driving the Win32 backend's modal dialogs from inside their own message loops, with the
// messages a user's clicks and keys send.

#include <functional>
#include <string>
#include <vector>

#include "dialog.h"
#include "win32_window.h"

namespace zarneth::test {

// Runs `dialog` modally; `body` runs once its window is up, then the dialog is cancelled if
// it is still open. Returns DoModal's result.
int RunModal(fw::CDialog& dialog, const std::function<void()>& body);

// What a modal window that an action opened showed: its caption, the texts of its statics,
// its owner. The window is closed with IDOK as soon as it was read.
struct SeenModal {
  bool opened = false;
  std::string caption;
  std::vector<std::string> texts;
  HWND owner = nullptr;
  HWND window = nullptr;
};
// Runs `action`; the first new modal window it opens is read (and `whileOpen` run on it)
// and closed.
SeenModal CloseNextModal(const std::function<void()>& action,
                         const std::function<void(HWND)>& whileOpen = {});

// The same for an action that opens up to `count` modal windows one after the other;
// `whileOpen` gets each with its index. Returns what each showed, in order.
std::vector<SeenModal> CloseNextModals(const std::function<void()>& action, std::size_t count,
                                       const std::function<void(HWND, std::size_t)>& whileOpen);

// A window's text as UTF-8.
std::string TextOf(HWND window);
// A click as BM_CLICK sends it: the control's BN_CLICKED reaches its dialog.
void Click(HWND control);
// Types `text` into an edit control (WM_SETTEXT).
void Type(HWND edit, const std::string& text);
// Picks entry `index` of a drop-down list as the user does: selection, then CBN_SELCHANGE.
void Pick(HWND combo, int index);

}  // namespace zarneth::test

#include "modal_driver.h"

#include <algorithm>
#include <set>

#include "wide_text.h"

namespace zarneth::test {
namespace {

std::function<void()> pendingBody;

void CALLBACK RunPending(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  std::function<void()> pending = std::move(pendingBody);
  pendingBody = nullptr;
  if (pending)
    pending();
}

// The thread's visible top-level windows.
std::set<HWND> TopLevelWindows() {
  std::set<HWND> windows;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM found) {
        if (::IsWindowVisible(window))
          reinterpret_cast<std::set<HWND>*>(found)->insert(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

struct Watch {
  std::set<HWND> before;
  std::function<void(HWND, std::size_t)> whileOpen;
  std::vector<SeenModal> seen;
  std::size_t count = 1;
  int polls = 0;
};
Watch* activeWatch = nullptr;

void CALLBACK PollForModal(HWND, UINT, UINT_PTR timer, DWORD) {
  Watch& watch = *activeWatch;
  for (HWND window : TopLevelWindows()) {
    if (watch.before.count(window))
      continue;
    watch.before.insert(window);
    watch.polls = 0;
    watch.seen.emplace_back();
    SeenModal& seen = watch.seen.back();
    if (watch.seen.size() == watch.count)
      ::KillTimer(nullptr, timer);
    seen.opened = true;
    seen.window = window;
    seen.caption = TextOf(window);
    seen.owner = ::GetWindow(window, GW_OWNER);
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM seen) {
          wchar_t className[32] = {};
          ::GetClassNameW(child, className, 32);
          const std::string text = TextOf(child);
          // Pictures are statics too; their text is only their resource number.
          const LONG kind = ::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK;
          if (::lstrcmpiW(className, L"Static") == 0 && !text.empty() && kind != SS_ICON &&
              kind != SS_BITMAP)
            reinterpret_cast<SeenModal*>(seen)->texts.push_back(text);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&seen));
    if (watch.whileOpen)
      watch.whileOpen(window, watch.seen.size() - 1);
    if (::IsWindow(window))
      ::PostMessageW(window, WM_COMMAND, IDOK, 0);
    return;
  }
  if (++watch.polls > 1000)
    ::KillTimer(nullptr, timer);
}

}  // namespace

int RunModal(fw::CDialog& dialog, const std::function<void()>& body) {
  pendingBody = [&dialog, body] {
    body();
    // A dialog the body ended is hidden already (EndDialog hides it), and keeps the result
    // it ended with. (So a dialog run here is visible from the start: WS_VISIBLE.)
    if (dialog.GetSafeHwnd() && ::IsWindowVisible(fw::HwndOf(dialog)))
      dialog.EndDialog(IDCANCEL);
  };
  ::SetTimer(nullptr, 0, 10, &RunPending);
  return dialog.DoModal();
}

std::vector<SeenModal> CloseNextModals(const std::function<void()>& action, std::size_t count,
                                       const std::function<void(HWND, std::size_t)>& whileOpen) {
  Watch watch{TopLevelWindows(), whileOpen, {}, count, 0};
  Watch* outer = activeWatch;
  activeWatch = &watch;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, &PollForModal);
  action();
  ::KillTimer(nullptr, timer);
  activeWatch = outer;
  return watch.seen;
}

SeenModal CloseNextModal(const std::function<void()>& action,
                         const std::function<void(HWND)>& whileOpen) {
  const std::vector<SeenModal> seen = CloseNextModals(action, 1, [&](HWND window, std::size_t) {
    if (whileOpen)
      whileOpen(window);
  });
  return seen.empty() ? SeenModal{} : seen.front();
}

std::string TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return Utf8FromWide(text);
}

void Click(HWND control) {
  ::SendMessageW(control, BM_CLICK, 0, 0);
}

void Type(HWND edit, const std::string& text) {
  ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WideFromUtf8(text).c_str()));
}

void Pick(HWND combo, int index) {
  ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  ::SendMessageW(::GetParent(combo), WM_COMMAND,
                 MAKEWPARAM(::GetDlgCtrlID(combo), fw::kSelectionChanged),
                 reinterpret_cast<LPARAM>(combo));
}

}  // namespace zarneth::test

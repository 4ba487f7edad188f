// The dialog driver on the Win32 backend, under Wine: the real dialog manager's windows,
// driven with the messages a user's clicks and keys send, read through the system's calls.
#include "dialog_driver.h"
#include "modal_driver.h"
#include "wide_text.h"

// DROPFILES and the pickers' messages; after the framework's headers, as win32_window.h
// explains.
#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>

namespace zarneth::test {

const char* const kAllFilesFilter = "All Files (*.*)";

namespace {

HWND Window(const fw::CDialog& dialog) {
  return fw::HwndOf(dialog);
}

HWND Item(const fw::CDialog& dialog, int id) {
  return id == 0 ? Window(dialog) : fw::HwndOf(dialog.GetDlgItem(id));
}

// A window's rectangle in the client pixels of `parent`.
Rect RectIn(HWND window, HWND parent) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

Rect ClientOf(HWND window) {
  RECT rect{};
  ::GetClientRect(window, &rect);
  return {0, 0, rect.right, rect.bottom};
}

bool ShowsIcon(HWND window) {
  bool found = false;
  ::EnumChildWindows(
      window,
      [](HWND child, LPARAM found) {
        if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            ::SendMessageW(child, STM_GETICON, 0, 0) != 0)
          *reinterpret_cast<bool*>(found) = true;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

Modal Read(const SeenModal& window, bool showsIcon, HWND dialog) {
  Modal seen{window.caption, window.texts, showsIcon, window.owner == dialog};
  for (std::string& text : seen.texts)
    std::replace(text.begin(), text.end(), '\n', ' ');
  return seen;
}

void Close(HWND window, Reply reply) {
  WPARAM command = IDOK;
  if (reply == Reply::Yes)
    command = IDYES;
  if (reply == Reply::Escape)
    command = IDCANCEL;
  if (reply == Reply::DefaultButton) {
    const LRESULT defaultId = ::SendMessageW(window, DM_GETDEFID, 0, 0);
    command = HIWORD(defaultId) == DC_HASDEFID ? LOWORD(defaultId) : IDOK;
  }
  ::PostMessageW(window, WM_COMMAND, command, 0);
}

}  // namespace

std::string DialogDriver::Caption() const {
  return TextOf(Window(m_dialog));
}

std::string DialogDriver::Text(int id) const {
  return TextOf(Item(m_dialog, id));
}

void DialogDriver::Type(int id, const std::string& text) {
  test::Type(Item(m_dialog, id), text);
}

bool DialogDriver::IsEnabled(int id) const {
  return ::IsWindowEnabled(Item(m_dialog, id)) != 0;
}

bool DialogDriver::IsVisible(int id) const {
  return ::IsWindowVisible(Item(m_dialog, id)) != 0;
}

bool DialogDriver::IsChecked(int id) const {
  return ::SendMessageW(Item(m_dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void DialogDriver::Click(int id) {
  test::Click(Item(m_dialog, id));
}

std::vector<std::string> DialogDriver::Items(int id) const {
  const HWND combo = Item(m_dialog, id);
  std::vector<std::string> items;
  const auto count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring text(static_cast<std::size_t>(::SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)),
                      L'\0');
    ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    items.push_back(Utf8FromWide(text));
  }
  return items;
}

int DialogDriver::Selection(int id) const {
  return static_cast<int>(::SendMessageW(Item(m_dialog, id), CB_GETCURSEL, 0, 0));
}

void DialogDriver::Pick(int id, int index) {
  test::Pick(Item(m_dialog, id), index);
}

bool DialogDriver::HasFocus(int id) const {
  return ::GetFocus() == Item(m_dialog, id);
}

// As the dialog manager moves on at Tab.
void DialogDriver::PressTab() {
  ::SendMessageW(Window(m_dialog), WM_NEXTDLGCTL, 0, FALSE);
}

// Both sizes set, and the large one is what a drag shows.
bool DialogDriver::HasIcon() const {
  const LRESULT icon = ::SendMessageW(Window(m_dialog), WM_GETICON, ICON_BIG, 0);
  return icon != 0 && ::SendMessageW(Window(m_dialog), WM_GETICON, ICON_SMALL, 0) != 0 &&
         ::SendMessageW(Window(m_dialog), WM_QUERYDRAGICON, 0, 0) == icon;
}

void DialogDriver::Minimize() {
  ::SendMessageW(Window(m_dialog), WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

bool DialogDriver::IsMinimized() const {
  return ::IsIconic(Window(m_dialog)) != 0;
}

Rect DialogDriver::ClientRect() const {
  return ClientOf(Window(m_dialog));
}

Rect DialogDriver::ControlRect(int id) const {
  return RectIn(Item(m_dialog, id), Window(m_dialog));
}

// The position and the size each mapped and rounded, as the dialog manager places controls.
Rect DialogDriver::UnitsToPixels(const Rect& units) const {
  RECT mapped{units.x, units.y, units.width, units.height};
  ::MapDialogRect(Window(m_dialog), &mapped);
  return {mapped.left, mapped.top, mapped.right, mapped.bottom};
}

std::vector<Modal> DialogDriver::Answer(const std::function<void()>& action,
                                        const std::vector<Reply>& replies) {
  const HWND dialog = Window(m_dialog);
  std::vector<bool> icons;  // read while each window is open
  const std::vector<SeenModal> windows =
      CloseNextModals(action, replies.size(), [&](HWND modal, std::size_t index) {
        icons.push_back(ShowsIcon(modal));
        Close(modal, replies[index]);
      });
  std::vector<Modal> seen;
  for (std::size_t i = 0; i < windows.size(); ++i)
    seen.push_back(Read(windows[i], i < icons.size() && icons[i], dialog));
  return seen;
}

TextLayout DialogDriver::LayoutOf(const std::function<void()>& action, const std::string& part) {
  TextLayout layout;
  CloseNextModal(action, [&](HWND window) {
    layout.client = ClientOf(window);
    for (HWND child = ::GetWindow(window, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
      const std::string text = TextOf(child);
      if (::GetDlgCtrlID(child) == IDOK)
        layout.button = RectIn(child, window);
      if (text.find(part) == std::string::npos)
        continue;
      layout.text = text;
      layout.control = RectIn(child, window);
      const HDC dc = ::GetDC(child);
      const HGDIOBJ old =
          ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(child, WM_GETFONT, 0, 0)));
      TEXTMETRICW metrics{};
      ::GetTextMetricsW(dc, &metrics);
      layout.lineHeight = metrics.tmHeight;
      for (std::size_t from = 0;;) {
        const std::size_t end = text.find('\n', from);
        const std::wstring line =
            WideFromUtf8(text.substr(from, end == std::string::npos ? end : end - from));
        SIZE extent{};
        ::GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
        layout.widestLine = std::max<int>(layout.widestLine, extent.cx);
        ++layout.lines;
        if (end == std::string::npos)
          break;
        from = end + 1;
      }
      ::SelectObject(dc, old);
      ::ReleaseDC(child, dc);
    }
  });
  return layout;
}

PickerSeen DialogDriver::Browse(int button) {
  PickerSeen seen;
  const SeenModal picker = CloseNextModal([&] { Click(button); },
                                          [&](HWND window) {
                                            // cmb1: the "Files of type" list.
                                            seen.filter = TextOf(::GetDlgItem(window, cmb1));
                                            wchar_t path[MAX_PATH] = {};
                                            ::SendMessageW(window, CDM_GETFOLDERPATH, MAX_PATH,
                                                           reinterpret_cast<LPARAM>(path));
                                            seen.folder = Utf8FromWide(path);
                                            ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
                                          });
  seen.opened = picker.opened;
  seen.saveAs = picker.caption == "Save As";
  return seen;
}

// A drop as Explorer makes it: a DROPFILES block with the wide path, sent as WM_DROPFILES.
void DialogDriver::DropFile(int id, const std::string& path) {
  const std::wstring wide = WideFromUtf8(path);
  const std::size_t bytes = sizeof(DROPFILES) + (wide.size() + 2) * sizeof(wchar_t);
  const HGLOBAL memory = ::GlobalAlloc(GHND, bytes);
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::copy(wide.begin(), wide.end(), reinterpret_cast<wchar_t*>(drop + 1));
  ::GlobalUnlock(memory);
  const HWND target = Item(m_dialog, id);
  // Only a window that takes drops is ever sent one.
  if ((::GetWindowLongW(target, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0)
    ::SendMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  else
    ::GlobalFree(memory);
}

bool DialogDriver::WaitFor(const std::function<bool()>& condition) {
  const ULONGLONG until = ::GetTickCount64() + 60000;
  while (!condition()) {
    if (::GetTickCount64() > until)
      return false;
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    ::Sleep(5);
  }
  return true;
}

std::vector<MenuItem> DialogDriver::WindowMenu() const {
  const HMENU menu = ::GetSystemMenu(Window(m_dialog), FALSE);
  std::vector<MenuItem> items;
  for (int position = 0; position < ::GetMenuItemCount(menu); ++position) {
    wchar_t text[128] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(position), text, 128, MF_BYPOSITION);
    const UINT state = ::GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION);
    items.push_back(
        {::GetMenuItemID(menu, position), Utf8FromWide(text), (state & MF_SEPARATOR) != 0});
  }
  return items;
}

void DialogDriver::ChooseFromWindowMenu(unsigned id) {
  ::SendMessageW(Window(m_dialog), WM_SYSCOMMAND, id, 0);
}

// The close box sends WM_CLOSE, which the dialog manager makes IDCANCEL.
void DialogDriver::PressCloseBox() {
  ::SendMessageW(Window(m_dialog), WM_CLOSE, 0, 0);
}

int RunDialog(fw::CDialog& dialog, const std::function<void(DialogDriver&)>& body) {
  return RunModal(dialog, [&] {
    DialogDriver driver(dialog);
    body(driver);
  });
}

}  // namespace zarneth::test

// Controls on Win32: the system's BUTTON, EDIT, STATIC and COMBOBOX windows, driven by their
// messages.
#include "wnd.h"

#include <map>
#include <memory>

#include "dialog.h"
#include "wide_text.h"
#include "win32_window.h"

namespace zarneth::fw {
namespace {

// An edit field that takes dropped files: the first file's path becomes its text.
LRESULT CALLBACK DropTarget(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR) {
  if (message != WM_DROPFILES)
    return ::DefSubclassProc(window, message, wParam, lParam);
  const auto drop = reinterpret_cast<HDROP>(wParam);
  const UINT length = ::DragQueryFileW(drop, 0, nullptr, 0);
  std::wstring path(length, L'\0');
  ::DragQueryFileW(drop, 0, path.data(), length + 1);
  ::DragFinish(drop);
  ::SetWindowTextW(window, path.c_str());
  return 0;
}

constexpr UINT_PTR kDropSubclass = 1;

}  // namespace

HICON LoadIconResource(int id) {
  static std::map<int, std::unique_ptr<IconData>> loaded;
  auto& slot = loaded[id];
  if (!slot) {
    const auto icon = static_cast<::HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                     ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0));
    if (!icon)
      return nullptr;
    slot = std::make_unique<IconData>(IconData{icon});
  }
  return slot.get();
}

void CWnd::SetWindowText(const std::string& text) {
  if (m_hWnd)
    ::SetWindowTextW(HwndOf(m_hWnd), WideFromUtf8(text).c_str());
}

std::string CWnd::GetWindowText() const {
  if (!m_hWnd)
    return {};
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(HwndOf(m_hWnd))), L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(HwndOf(m_hWnd), text.data(), static_cast<int>(text.size()) + 1)));
  return Utf8FromWide(text);
}

void CWnd::EnableWindow(bool enable) {
  if (m_hWnd)
    ::EnableWindow(HwndOf(m_hWnd), enable ? TRUE : FALSE);
}

void CWnd::ShowWindow(int command) {
  if (m_hWnd)
    ::ShowWindow(HwndOf(m_hWnd), command);
}

void CWnd::DragAcceptFiles(bool accept) {
  if (!m_hWnd)
    return;
  ::DragAcceptFiles(HwndOf(m_hWnd), accept ? TRUE : FALSE);
  if (accept)
    ::SetWindowSubclass(HwndOf(m_hWnd), &DropTarget, kDropSubclass, 0);
  else
    ::RemoveWindowSubclass(HwndOf(m_hWnd), &DropTarget, kDropSubclass);
}

void CButton::SetCheck(int state) {
  // BM_SETCHECK sends no BN_CLICKED, so the message map hears nothing.
  if (m_hWnd)
    ::SendMessageW(HwndOf(m_hWnd), BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

int CButton::GetCheck() const {
  return m_hWnd && ::SendMessageW(HwndOf(m_hWnd), BM_GETCHECK, 0, 0) == BST_CHECKED ? BST_CHECKED
                                                                                    : BST_UNCHECKED;
}

int CComboBox::SetCurSel(int index) {
  if (!m_hWnd)
    return CB_ERR;
  // CB_SETCURSEL sends no CBN_SELCHANGE. Out of range, Windows clears the selection; Wine
  // keeps it, so the clearing is asked for in so many words.
  const auto result =
      static_cast<int>(::SendMessageW(HwndOf(m_hWnd), CB_SETCURSEL, static_cast<WPARAM>(index), 0));
  if (result == CB_ERR)
    ::SendMessageW(HwndOf(m_hWnd), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  return result;
}

int CComboBox::GetCurSel() const {
  return m_hWnd ? static_cast<int>(::SendMessageW(HwndOf(m_hWnd), CB_GETCURSEL, 0, 0)) : CB_ERR;
}

std::string CComboBox::GetLBText(int index) const {
  if (!m_hWnd)
    return {};
  const auto length =
      ::SendMessageW(HwndOf(m_hWnd), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR)
    return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const auto got = ::SendMessageW(HwndOf(m_hWnd), CB_GETLBTEXT, static_cast<WPARAM>(index),
                                  reinterpret_cast<LPARAM>(text.data()));
  text.resize(got == CB_ERR ? 0 : static_cast<std::size_t>(got));
  return Utf8FromWide(text);
}

int CComboBox::GetCount() const {
  return m_hWnd ? static_cast<int>(::SendMessageW(HwndOf(m_hWnd), CB_GETCOUNT, 0, 0)) : 0;
}

int CComboBox::InsertString(int index, const std::string& text) {
  // CB_INSERTSTRING puts the item where it is told, even in a sorted list.
  if (!m_hWnd)
    return CB_ERR;
  return static_cast<int>(::SendMessageW(HwndOf(m_hWnd), CB_INSERTSTRING,
                                         static_cast<WPARAM>(index),
                                         reinterpret_cast<LPARAM>(WideFromUtf8(text).c_str())));
}

void CComboBox::ResetContent() {
  if (m_hWnd)
    ::SendMessageW(HwndOf(m_hWnd), CB_RESETCONTENT, 0, 0);
}

}  // namespace zarneth::fw

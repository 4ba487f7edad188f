// CDialog on Win32: the system's dialog manager runs the template (DialogBoxIndirectParamW);
// its messages reach the CDialog through DialogNative::DialogProc.
#include "dialog.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "backend_access.h"
#include "paint_dc.h"
#include "picture_scales.h"
#include "wide_text.h"
#include "win32_window.h"

namespace zarneth::fw {
namespace {

CDialog* DialogOf(HWND window) {
  return reinterpret_cast<CDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
}

// The window's dots per inch: its monitor's where the system scales per monitor (Windows 10
// and later), else the screen's.
UINT DpiOf(HWND window) {
  using DpiForWindow = UINT(WINAPI*)(HWND);
  static const auto dpiForWindow = reinterpret_cast<DpiForWindow>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (dpiForWindow)
    return dpiForWindow(window);
  const HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  return static_cast<UINT>(dpi);
}

// The picture drawn for the window's scale where the program has one, else the picture
// itself (at 96 dpi a window's scale is 100 %). A picture enlarged by the system would be
// blurred.
HBITMAP LoadPictureForScale(HWND control, int imageId) {
  const UINT dpi = DpiOf(control);
  for (const PictureScale& variant : kPictureScales) {
    if (dpi < variant.from * 96)
      continue;
    if (const auto scaled = static_cast<HBITMAP>(::LoadImageW(
            ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(imageId + variant.resourceOffset),
            IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)))
      return scaled;
  }
  return static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(imageId),
                                           IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// A transparent picture shows the dialog through the pixels of its corner colour: those
// pixels take the dialog's own colour. Pictures of 8 bits per pixel change their colour
// table; those of 24 or 32 bits their pixels.
bool ShowDialogThroughCornerColour(HBITMAP bitmap) {
  DIBSECTION section{};
  const BITMAP& image = section.dsBm;
  if (::GetObjectW(bitmap, sizeof section, &section) != sizeof section ||
      (image.bmBitsPixel != 8 && image.bmBitsPixel != 24 && image.bmBitsPixel != 32))
    return false;
  const COLORREF face = ::GetSysColor(COLOR_3DFACE);
  auto* bits = static_cast<unsigned char*>(image.bmBits);
  // Rows are stored bottom-up: the top-left corner starts the last row.
  const unsigned char* corner =
      bits + static_cast<std::ptrdiff_t>(image.bmWidthBytes) * (image.bmHeight - 1);
  if (image.bmBitsPixel == 8) {
    HDC memory = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    RGBQUAD colours[256];
    const UINT count = ::GetDIBColorTable(memory, 0, 256, colours);
    const RGBQUAD key = colours[corner[0]];
    for (UINT i = 0; i < count; ++i) {
      RGBQUAD& colour = colours[i];
      if (colour.rgbRed == key.rgbRed && colour.rgbGreen == key.rgbGreen &&
          colour.rgbBlue == key.rgbBlue)
        colour = RGBQUAD{GetBValue(face), GetGValue(face), GetRValue(face), 0};
    }
    ::SetDIBColorTable(memory, 0, count, colours);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
  } else {
    const int bytesPerPixel = image.bmBitsPixel / 8;
    const unsigned char key[3] = {corner[0], corner[1], corner[2]};
    const unsigned char dialog[3] = {GetBValue(face), GetGValue(face), GetRValue(face)};
    for (int row = 0; row < image.bmHeight; ++row) {
      unsigned char* pixel = bits + static_cast<std::ptrdiff_t>(row) * image.bmWidthBytes;
      for (int column = 0; column < image.bmWidth; ++column, pixel += bytesPerPixel) {
        if (std::equal(key, key + 3, pixel))
          std::copy(dialog, dialog + 3, pixel);
      }
    }
  }
  return true;
}

// Each bitmap static gets the picture for the window's scale, a transparent one showing the
// dialog through its corner colour. The controls are the dialog's children in template
// order. The pictures made here stay the dialog's to delete: a static deletes no picture it
// was given.
void ShowPicturesForTheScale(HWND window, const DialogTemplate& dialogTemplate,
                             std::vector<HBITMAP>& made) {
  HWND child = ::GetWindow(window, GW_CHILD);
  for (const ControlTemplate& control : dialogTemplate.controls) {
    if (!child)
      return;
    if (control.kind == ControlClass::Static && (control.style & 0xFu) == SS_BITMAP) {
      const HBITMAP picture = LoadPictureForScale(child, control.imageId);
      if (picture &&
          (!(control.exStyle & WS_EX_TRANSPARENT) || ShowDialogThroughCornerColour(picture))) {
        const auto previous = reinterpret_cast<HBITMAP>(
            ::SendMessageW(child, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture)));
        if (previous)
          ::DeleteObject(previous);
        made.push_back(picture);
      } else if (picture) {
        ::DeleteObject(picture);
      }
    }
    child = ::GetWindow(child, GW_HWNDNEXT);
  }
}

Notification NotificationOf(WORD code, bool* known) {
  *known = code == kButtonClicked || code == kSelectionChanged || code == kEditChanged;
  return code == kSelectionChanged ? CBN_SELCHANGE : code == kEditChanged ? EN_CHANGE : BN_CLICKED;
}

}  // namespace

INT_PTR CALLBACK DialogNative::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    ::SetWindowLongPtrW(window, DWLP_USER, lParam);
    dialog->m_native->window = window;
    dialog->m_hWnd = HandleOf(window);
    // A combo box's list comes with its template; so does a picture's transparency.
    for (const ControlTemplate& item : dialog->GetTemplate()->controls) {
      for (const std::string& text : item.items)
        ::SendDlgItemMessageW(window, item.id, CB_ADDSTRING, 0,
                              reinterpret_cast<LPARAM>(WideFromUtf8(text).c_str()));
    }
    ShowPicturesForTheScale(window, *dialog->GetTemplate(), dialog->m_native->pictures);
    bool focusFirst = true;
    try {
      focusFirst = dialog->OnInitDialog();
    } catch (...) {
      dialog->m_native->escaped = std::current_exception();
      ::EndDialog(window, -1);
    }
    return focusFirst ? TRUE : FALSE;
  }
  CDialog* dialog = DialogOf(window);
  if (!dialog || !dialog->m_native)
    return FALSE;
  DialogNative& native = *dialog->m_native;
  // Whether this message's handler asked for the default processing; a nested message
  // (a paint while an About box runs) keeps its own answer.
  auto handled = [&native](auto handler) {
    const bool outer = native.wantsDefault;
    native.wantsDefault = false;
    handler();
    const bool wantsDefault = native.wantsDefault;
    native.wantsDefault = outer;
    return wantsDefault ? FALSE : TRUE;
  };
  switch (message) {
    case WM_COMMAND: {
      bool known = false;
      const Notification code = NotificationOf(HIWORD(wParam), &known);
      if (!known)
        return FALSE;
      dialog->Dispatch(LOWORD(wParam), code);
      return TRUE;
    }
    case WM_SYSCOMMAND:
      // The system's own commands (move, minimize, close) go on to the dialog manager.
      return handled([&] { dialog->DispatchSysCommand(static_cast<unsigned>(wParam)); });
    case WM_TIMER:
      dialog->DispatchTimer(static_cast<unsigned>(wParam));
      return TRUE;
    case WM_HELP:
      dialog->Dispatch(ID_HELP, BN_CLICKED);
      return TRUE;
    case WM_PAINT:
      return handled([&] { dialog->Guarded([dialog] { dialog->OnPaint(); }); });
    case WM_QUERYDRAGICON: {
      HICON icon = nullptr;
      dialog->Guarded([&] { icon = dialog->OnQueryDragIcon(); });
      return reinterpret_cast<INT_PTR>(icon ? icon->icon : nullptr);
    }
    default:
      return FALSE;
  }
}

int CDialog::DoModal() {
  const DialogTemplate* dialogTemplate = GetTemplate();
  if (!dialogTemplate)
    return -1;
  const std::vector<WORD> memoryTemplate = BuildDialogTemplate(*dialogTemplate);
  DialogNative native;
  m_native = &native;
  m_result = IDCANCEL;

  // Whatever way DoModal is left, no handle may keep pointing at the destroyed windows.
  const DetachOnExit detach{*this};

  const INT_PTR result = ::DialogBoxIndirectParamW(
      ::GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(memoryTemplate.data()),
      HwndOf(OwnerWindow()), &DialogNative::DialogProc, reinterpret_cast<LPARAM>(this));
  for (const HBITMAP picture : native.pictures)
    ::DeleteObject(picture);
  if (native.escaped)
    std::rethrow_exception(native.escaped);
  return result == -1 ? -1 : m_result;
}

void CDialog::SetTimer(unsigned id, unsigned milliseconds) {
  if (m_native && m_native->window)
    ::SetTimer(m_native->window, id, milliseconds, nullptr);
}

void CDialog::KillTimer(unsigned id) {
  if (m_native && m_native->window)
    ::KillTimer(m_native->window, id);
}

void CDialog::EndDialog(int result) {
  m_result = result;
  if (m_native && m_native->window)
    ::EndDialog(m_native->window, result);
}

void CDialog::OnSysCommand(unsigned, long) {
  Default();
}

void CDialog::Default() {
  if (m_native)
    m_native->wantsDefault = true;
}

CMenu* CDialog::GetSystemMenu(WindowMenu which) {
  const DialogTemplate* dialogTemplate = GetTemplate();
  if (!m_native || !m_native->window || !dialogTemplate || !(dialogTemplate->style & WS_SYSMENU))
    return nullptr;
  // TRUE gives the system's own menu back and no handle; the model starts again with it.
  if (which == WindowMenu::Reset) {
    ::GetSystemMenu(m_native->window, TRUE);
    m_systemMenu.reset();
    return nullptr;
  }
  HMENU menu = ::GetSystemMenu(m_native->window, FALSE);
  if (!m_systemMenu && menu) {
    m_systemMenu = std::make_unique<CMenu>([this](unsigned id) { DispatchSysCommand(id); });
    // The entries the system put there, then every appended one in step with the real menu.
    for (int position = 0; position < ::GetMenuItemCount(menu); ++position) {
      const UINT state = ::GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION);
      if (state & MF_SEPARATOR) {
        m_systemMenu->AppendMenu(MF_SEPARATOR);
        continue;
      }
      wchar_t text[128] = {};
      ::GetMenuStringW(menu, static_cast<UINT>(position), text, 128, MF_BYPOSITION);
      m_systemMenu->AppendMenu(MF_STRING, ::GetMenuItemID(menu, position), Utf8FromWide(text));
    }
    MenuBackend::KeepInStep(*m_systemMenu, [menu](const MenuEntry& entry) {
      return ::AppendMenuW(menu, entry.flags, entry.id, WideFromUtf8(entry.text).c_str()) != FALSE;
    });
  }
  return m_systemMenu.get();
}

void CDialog::SetIcon(HICON icon, IconSize size) {
  if (size == IconSize::Big)
    m_bigIcon = icon;
  if (m_native && m_native->window && icon)
    ::SendMessageW(m_native->window, WM_SETICON, size == IconSize::Big ? ICON_BIG : ICON_SMALL,
                   reinterpret_cast<LPARAM>(icon->icon));
}

bool CDialog::IsIconic() const {
  return m_native && m_native->window && ::IsIconic(m_native->window);
}

void CDialog::GetClientRect(CRect* rect) const {
  RECT area{};
  if (m_native && m_native->window)
    ::GetClientRect(m_native->window, &area);
  *rect = CRect{area.left, area.top, area.right, area.bottom};
}

void CDialog::SendMessage(Message message, CPaintDC& dc) {
  if (message == Message::WM_ICONERASEBKGND && m_native && m_native->window)
    ::SendMessageW(m_native->window, kIconEraseBackground,
                   reinterpret_cast<WPARAM>(PaintBackend::Native(dc).paint.hdc), 0);
}

WindowHandle CDialog::GetDlgItem(int id) const {
  return m_native && m_native->window ? HandleOf(::GetDlgItem(m_native->window, id)) : nullptr;
}

}  // namespace zarneth::fw

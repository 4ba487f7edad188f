#pragma once

// How the Win32 backend fills the framework's opaque types: a window handle is an HWND, an
// icon an HICON from the executable's resources, a paint a PAINTSTRUCT. For the backend
// and for tests of it, never for ui/.

#include <exception>
#include <vector>

#include "dialog.h"
#include "paint_dc.h"
#include "win_types.h"
#include "wnd.h"

// The system's headers come after the framework's: they define as macros names that
// win_types.h declares (WS_POPUP, SM_CXICON, BN_CLICKED, ...). Backend files reach them only
// through this header.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
// clang-format on
#undef BN_CLICKED
#undef CBN_SELCHANGE
#undef EN_CHANGE
#undef WM_ICONERASEBKGND
// The framework's own functions of these names; the backend calls the wide ones by name.
#undef AppendMenu
#undef GetMenuString
#undef GetWindowText
#undef LoadString
#undef SendMessage
#undef SetWindowText

namespace zarneth::fw {

// The notification codes of WM_COMMAND, whose macros give way to the framework's names.
inline constexpr WORD kButtonClicked = 0;
inline constexpr WORD kSelectionChanged = 1;
inline constexpr WORD kEditChanged = 0x0300;
// The system's WM_ICONERASEBKGND, whose macro gives way to the framework's Message.
inline constexpr UINT kIconEraseBackground = 0x0027;

// A loaded icon.
struct IconData {
  ::HICON icon;
};

struct PaintNative {
  ::HWND window = nullptr;
  PAINTSTRUCT paint{};
};

struct DialogNative {
  ::HWND window = nullptr;
  // Set by CDialog::Default(): the message being handled goes on to the dialog manager.
  bool wantsDefault = false;
  // An exception a handler let escape, carried past the system's frames.
  std::exception_ptr escaped;
  // Pictures the backend made for the dialog's statics, deleted once the dialog is gone.
  std::vector<HBITMAP> pictures;

  static INT_PTR CALLBACK DialogProc(::HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

inline ::HWND HwndOf(WindowHandle window) {
  return reinterpret_cast<::HWND>(window);
}
inline WindowHandle HandleOf(::HWND window) {
  return reinterpret_cast<WindowHandle>(window);
}
inline ::HWND HwndOf(const CWnd& window) {
  return HwndOf(window.GetSafeHwnd());
}

// The in-memory DLGTEMPLATEEX of a template, with the font, the controls in template order
// and their numbers; DWORD-aligned as DialogBoxIndirectParamW wants it.
std::vector<WORD> BuildDialogTemplate(const DialogTemplate& dialogTemplate);

}  // namespace zarneth::fw

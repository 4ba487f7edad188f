#pragma once

// Numbers shared by templates, dialogs and controls: command ids, notifications, styles and
// flags. The values follow the classic dialog conventions so template data reads familiar.
namespace zarneth::fw {

// Results of DoModal and the standard command ids.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
inline constexpr int ID_HELP = 0xE146;

// Control notifications a message map can name.
// EN_CHANGE: an edit field's text changed, typed, dropped or set by the program.
enum class Notification { BN_CLICKED, CBN_SELCHANGE, EN_CHANGE };
inline constexpr Notification BN_CLICKED = Notification::BN_CLICKED;
inline constexpr Notification CBN_SELCHANGE = Notification::CBN_SELCHANGE;
inline constexpr Notification EN_CHANGE = Notification::EN_CHANGE;

// Window and control styles used by templates.
enum Style : unsigned {
  WS_POPUP = 0x80000000u,
  WS_VISIBLE = 0x10000000u,
  WS_DISABLED = 0x08000000u,
  WS_CAPTION = 0x00C00000u,
  WS_BORDER = 0x00800000u,
  WS_VSCROLL = 0x00200000u,
  WS_SYSMENU = 0x00080000u,
  WS_GROUP = 0x00020000u,
  WS_TABSTOP = 0x00010000u,
  WS_MINIMIZEBOX = 0x00020000u,  // same bit as WS_GROUP; only meaningful on a dialog
  DS_MODALFRAME = 0x80u,
  DS_SETFONT = 0x40u,
  ES_RIGHT = 0x2u,
  ES_AUTOHSCROLL = 0x80u,
  SS_LEFT = 0x0u,
  SS_CENTER = 0x1u,
  SS_RIGHT = 0x2u,
  SS_ICON = 0x3u,
  SS_BITMAP = 0xEu,
  SS_NOPREFIX = 0x80u,
  BS_PUSHBUTTON = 0x0u,
  BS_DEFPUSHBUTTON = 0x1u,
  BS_AUTOCHECKBOX = 0x3u,
  CBS_DROPDOWNLIST = 0x3u,
  CBS_SORT = 0x100u,
};

enum ExStyle : unsigned {
  WS_EX_TRANSPARENT = 0x20u,
  WS_EX_APPWINDOW = 0x40000u,
};

// ShowWindow commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOW = 5;

// Check states.
inline constexpr int BST_UNCHECKED = 0;
inline constexpr int BST_CHECKED = 1;

// Combo box "no selection".
inline constexpr int CB_ERR = -1;

// Window-menu entries and system commands.
inline constexpr unsigned MF_STRING = 0x0u;
inline constexpr unsigned MF_SEPARATOR = 0x800u;
inline constexpr unsigned SC_MINIMIZE = 0xF020u;
inline constexpr unsigned SC_CLOSE = 0xF060u;

// System metrics.
enum SystemMetric { SM_CXICON = 11, SM_CYICON = 12 };
int GetSystemMetrics(SystemMetric metric);

// File dialog flags.
inline constexpr unsigned OFN_OVERWRITEPROMPT = 0x0002u;
inline constexpr unsigned OFN_HIDEREADONLY = 0x0004u;

// Message box styles.
inline constexpr unsigned MB_OK = 0x0u;
inline constexpr unsigned MB_YESNO = 0x4u;
inline constexpr unsigned MB_ICONERROR = 0x10u;
inline constexpr unsigned MB_ICONQUESTION = 0x20u;
inline constexpr unsigned MB_DEFBUTTON2 = 0x100u;

}  // namespace zarneth::fw

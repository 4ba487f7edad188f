#pragma once

// Numbers of the program's resources and of the main dialog's controls.
namespace zarneth::res {

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDD_ZARNETH_DIALOG = 102;
inline constexpr int IDR_MAINFRAME = 128;  // the application icon
inline constexpr int IDD_FAILED = 129;
inline constexpr int IDD_DONE = 130;
inline constexpr int IDB_WORDMARK = 132;
inline constexpr int IDB_HANDSET = 133;
inline constexpr int IDD_FIND_BLOCK = 140;

inline constexpr int IDC_SOURCE = 1000;
inline constexpr int IDC_TRANSCRIPT = 1001;
inline constexpr int IDC_DESTINATION = 1002;
inline constexpr int IDC_BROWSE_SOURCE = 1003;
inline constexpr int IDC_BROWSE_TRANSCRIPT = 1004;
inline constexpr int IDC_BROWSE_DESTINATION = 1005;
inline constexpr int IDC_CREATE_NEW = 1006;
inline constexpr int IDC_DO = 1007;
inline constexpr int IDC_START = 1008;
inline constexpr int IDC_MODEL = 1009;
inline constexpr int IDC_END = 1010;
inline constexpr int IDC_MODE = 1019;

// The find-the-block dialog's controls.
inline constexpr int IDC_FIND_BLOCK = 1100;  // the known block's path
inline constexpr int IDC_FIND_BROWSE = 1101;
inline constexpr int IDC_FIND_IMAGE = 1102;  // the image searched: the main window's source
inline constexpr int IDC_FIND_RUN = 1103;    // Find, and Cancel while a search runs
inline constexpr int IDC_FIND_STATUS = 1104;
inline constexpr int IDC_FIND_PLACES = 1105;
inline constexpr int IDC_FIND_DETAIL = 1106;
inline constexpr int IDC_FIND_USE = 1107;
inline constexpr int IDC_FIND_NAME = 1108;
inline constexpr int IDC_FIND_KEEP = 1109;

inline constexpr unsigned IDM_ABOUTBOX = 0x0010;   // window-menu command of the About entry
inline constexpr unsigned IDM_FINDBLOCK = 0x0020;  // and of the find-the-block entry

}  // namespace zarneth::res

#pragma once

#include <string>

namespace zarneth::fw {

// The toolkit's window behind a CWnd: a QWidget with Qt, an HWND with Win32. Only the
// backend looks inside.
struct NativeWindow;
using WindowHandle = NativeWindow*;

// A loaded icon, held as the backend keeps pictures; handles stay valid for the whole
// program, so they compare by identity.
struct IconData;
using HICON = const IconData*;

// Loads an icon picture by number once and hands out the same handle after; null if the
// number names no picture.
HICON LoadIconResource(int id);

struct CRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

// A window or control: a thin handle on a window that a dialog owns. Handles are attached
// while their dialog runs and detached when it ends; calls on a detached handle do nothing.
class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  WindowHandle GetSafeHwnd() const { return m_hWnd; }
  void Attach(WindowHandle window) { m_hWnd = window; }
  void Detach() { m_hWnd = nullptr; }

  void SetWindowText(const std::string& text);
  std::string GetWindowText() const;
  void EnableWindow(bool enable = true);
  // SW_SHOW or SW_HIDE.
  void ShowWindow(int command);
  // Takes files dropped from a file manager; an edit field shows the first one's path.
  void DragAcceptFiles(bool accept = true);

 protected:
  WindowHandle m_hWnd = nullptr;
};

class CEdit : public CWnd {};

// A push button or an automatic check box.
class CButton : public CWnd {
 public:
  void SetCheck(int state);  // BST_CHECKED or BST_UNCHECKED; sends no notification
  int GetCheck() const;
};

// A drop-down list. SetCurSel never notifies; only the user's pick sends CBN_SELCHANGE.
class CComboBox : public CWnd {
 public:
  int SetCurSel(int index);  // returns the index, or CB_ERR when out of range (clears it)
  int GetCurSel() const;     // CB_ERR when nothing is selected
  // The text of the list's item `index`; empty for an index out of range.
  std::string GetLBText(int index) const;
  int GetCount() const;
  // Adds an item after the last one, unsorted whatever the list's style; returns its index.
  int InsertString(int index, const std::string& text);
  // Empties the list.
  void ResetContent();
};

class CDialog;

// Passed to DoDataExchange; this framework binds controls only, it exchanges no values.
struct CDataExchange {
  CDialog* m_pDlgWnd;
};

// Attaches `control` to the dialog's control with number `id`.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

}  // namespace zarneth::fw

#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "menu.h"
#include "resource_registry.h"
#include "win_types.h"
#include "wnd.h"

namespace zarneth::fw {

class CDialog;
class CPaintDC;
// What the backend keeps of a running dialog (its window, the paint in progress), and its
// way to the dialog's handlers.
struct DialogNative;

// One row of a dialog's message map: a notification from a control, and the member
// function that handles it.
struct MessageMapEntry {
  int id;
  Notification code;
  void (CDialog::*handler)();
};

// Turns a derived dialog's handler into a map entry's member pointer.
template <class Dialog>
constexpr auto Handler(void (Dialog::*handler)()) {
  return static_cast<void (CDialog::*)()>(handler);
}

enum class Message { WM_ICONERASEBKGND };

// Whether GetSystemMenu takes the window menu as it is or resets it.
enum class WindowMenu { AsItIs, Reset };
// The two icons of a window: the title bar's and the task switcher's.
enum class IconSize { Small, Big };

// A modal dialog built from a registered template. DoModal creates the window and its
// controls, calls OnInitDialog, runs until EndDialog, and destroys the window again. An
// exception escaping any handler is reported in a message box and the dialog stays open.
class CDialog : public CWnd {
 public:
  explicit CDialog(int templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  // Returns the value given to EndDialog (IDOK, IDCANCEL, ...), or -1 without a template.
  virtual int DoModal();
  // Builds the dialog from this template instead of the registered one of its number: a
  // layout made at run time.
  void InitModalIndirect(DialogTemplate dialogTemplate);
  void EndDialog(int result);

  // The window menu (Minimize, Close, and whatever the dialog appends), as it is; null when
  // the template has no WS_SYSMENU. WindowMenu::Reset instead drops what was appended, back
  // to the system's own entries, and returns null, in both backends.
  CMenu* GetSystemMenu(WindowMenu which);

  // The icon of the title bar (Small) and of the task switcher (Big).
  void SetIcon(HICON icon, IconSize size);
  bool IsIconic() const;
  void GetClientRect(CRect* rect) const;
  void SendMessage(Message message, CPaintDC& dc);

  // Calls OnTimer(id) every `milliseconds` while the dialog runs, until KillTimer(id).
  void SetTimer(unsigned id, unsigned milliseconds);
  void KillTimer(unsigned id);
  // The control with this number while the dialog runs, else null.
  WindowHandle GetDlgItem(int id) const;

  // Used by DDX_Control.
  void BindControl(int id, CWnd& control);

 protected:
  virtual bool OnInitDialog();
  virtual void DoDataExchange(CDataExchange* pDX);
  virtual void OnOK();
  virtual void OnCancel();
  virtual void OnSysCommand(unsigned id, long lParam);
  virtual void OnPaint();
  virtual HICON OnQueryDragIcon();
  virtual void OnTimer(unsigned id);
  virtual std::span<const MessageMapEntry> GetMessageMap() const;

  // Default processing of the message being handled (paint: the plain dialog background).
  void Default();

 private:
  friend struct DialogNative;

  // Once DoModal's window is gone: no handle may keep pointing at it or its controls.
  void DetachAfterRun();
  // Detaches the dialog when DoModal is left, whatever way: a backend's DoModal holds one.
  struct DetachOnExit {
    CDialog& dialog;
    ~DetachOnExit() { dialog.DetachAfterRun(); }
  };
  // Runs a handler; an escaping exception becomes a message box and the dialog stays open.
  void Guarded(const std::function<void()>& handler);
  void Dispatch(int id, Notification code);
  void DispatchSysCommand(unsigned id);
  void DispatchTimer(unsigned id);
  // The window that owns this dialog: its parent, else the main window, else none.
  WindowHandle OwnerWindow() const;
  const DialogTemplate* GetTemplate() const;

  int m_templateId;
  std::optional<DialogTemplate> m_indirectTemplate;
  CWnd* m_parent;
  DialogNative* m_native = nullptr;  // while DoModal runs
  std::unique_ptr<CMenu> m_systemMenu;
  HICON m_bigIcon = nullptr;  // what OnQueryDragIcon gives by default
  int m_result = IDCANCEL;
  std::vector<CWnd*> m_boundControls;
};

}  // namespace zarneth::fw

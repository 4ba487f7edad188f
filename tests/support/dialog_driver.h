#pragma once

// What dialog tests need of a backend, in the backend's own terms underneath: find a control
// by number, read and type its text, press it, answer the modal windows an action opens,
// read geometry in pixels. qt/qt_dialog_driver.cpp drives the Qt widgets,
// win32/win32_dialog_driver.cpp the system's dialog manager; the framework's and the main
// dialog's cases are written once against it and run on both.

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "dialog.h"

namespace zarneth::test {

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
  bool Contains(const Rect& other) const;
};
std::ostream& operator<<(std::ostream& out, const Rect& rect);

// What a modal window showed: its caption, its texts (a wrapped text read as one line),
// whether it showed an icon and whether the main dialog owns it (and so waits for it).
struct Modal {
  std::string caption;
  std::vector<std::string> texts;
  bool showsIcon = false;
  bool ownedByDialog = false;
};

// How a modal window is closed once it was read.
enum class Reply {
  Ok,             // its OK button
  Yes,            // the Yes button of a question
  DefaultButton,  // Enter: whichever button is the default
  Escape,         // Escape: the window's cancel
};

// A file picker as a Browse button opened it, then cancelled.
struct PickerSeen {
  bool opened = false;
  bool saveAs = false;  // Save As, else Open
  std::string filter;   // the file type shown
  std::string folder;   // where it started
};

// How a text was laid out in its control of a modal window, in pixels of its font.
struct TextLayout {
  std::string text;  // with the line breaks of the layout
  int widestLine = 0;
  int lines = 0;
  int lineHeight = 0;
  Rect control;  // the control holding the text
  Rect button;   // the window's OK button
  Rect client;   // the window's client area
};

// One entry of the window menu.
struct MenuItem {
  unsigned id = 0;
  std::string text;
  bool separator = false;
};

// The filter text of the form's pickers: "All Files (*.*)" on Windows; on Linux "*.*" means
// every file and is shown as "*".
extern const char* const kAllFilesFilter;

// A dialog while it runs, driven as a user drives it.
class DialogDriver {
 public:
  explicit DialogDriver(fw::CDialog& dialog) : m_dialog(dialog) {}

  std::string Caption() const;
  std::string Text(int id) const;
  void Type(int id, const std::string& text);
  bool IsEnabled(int id) const;
  bool IsVisible(int id) const;
  bool IsChecked(int id) const;
  void Click(int id);
  // A drop-down list's entries and its selected index, and a pick as the user makes it.
  std::vector<std::string> Items(int id) const;
  int Selection(int id) const;
  void Pick(int id, int index);
  bool HasFocus(int id) const;
  void PressTab();
  // Whether the window shows an icon in every size it has one (title bar, task bar).
  bool HasIcon() const;
  void Minimize();
  bool IsMinimized() const;
  void PressCloseBox();

  Rect ClientRect() const;
  Rect ControlRect(int id) const;  // in the dialog's client pixels
  Rect UnitsToPixels(const Rect& dialogUnits) const;

  // Runs `action` and answers the modal windows it opens, one after the other, with
  // `replies`; returns what each showed. Fewer than `replies` when fewer opened.
  std::vector<Modal> Answer(const std::function<void()>& action, const std::vector<Reply>& replies);
  // Runs `action` and reads the layout of the text that holds `part` in the modal window it
  // opens, which is then closed.
  TextLayout LayoutOf(const std::function<void()>& action, const std::string& part);
  // Presses a Browse button and cancels the picker it opens.
  PickerSeen Browse(int button);
  // Drops a file as the system's file manager does, onto a control or (0) the dialog.
  void DropFile(int id, const std::string& path);
  // Lets the dialog run (its timers, its threads' ends) until `condition` holds or 60 s have
  // passed; whether it holds.
  bool WaitFor(const std::function<bool()>& condition);
  std::vector<MenuItem> WindowMenu() const;
  void ChooseFromWindowMenu(unsigned id);

 private:
  fw::CDialog& m_dialog;
};

// Runs `dialog` modally; `body` gets the driver once the window is up, then the dialog is
// cancelled if it is still open. Returns what DoModal returned.
int RunDialog(fw::CDialog& dialog, const std::function<void(DialogDriver&)>& body);

}  // namespace zarneth::test

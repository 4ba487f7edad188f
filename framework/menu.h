#pragma once

#include <functional>
#include <memory>
#include <string>

class QMenu;
class QPoint;
class QWidget;

namespace zarneth::fw {

// A popup menu whose entries carry command numbers; choosing one calls the owner's handler
// with that number. The dialogs use it as their window menu.
class CMenu {
 public:
  CMenu(QWidget* parent, std::function<void(unsigned)> onCommand);
  ~CMenu();
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  // MF_SEPARATOR, or MF_STRING with a command number and a text ("&" marks the access key).
  bool AppendMenu(unsigned flags, unsigned id = 0, const std::string& text = {});
  int GetMenuItemCount() const;
  unsigned GetMenuItemID(int position) const;  // 0 for a separator
  std::string GetMenuString(int position) const;
  bool IsSeparator(int position) const;

  void Popup(const QPoint& globalPosition);
  QMenu* GetQMenu() const { return m_menu.get(); }

 private:
  std::unique_ptr<QMenu> m_menu;
  std::function<void(unsigned)> m_onCommand;
};

}  // namespace zarneth::fw

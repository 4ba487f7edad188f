#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zarneth::fw {

// One entry of a menu: MF_SEPARATOR, or MF_STRING with a command number and a text ("&"
// marks the access key).
struct MenuEntry {
  unsigned flags = 0;
  unsigned id = 0;
  std::string text;
};

// A popup menu whose entries carry command numbers; choosing one calls the owner's handler
// with that number. The dialogs use it as their window menu: the backend shows these
// entries (Qt) or keeps the system's own menu in step with them (Win32).
class CMenu {
 public:
  using CommandHandler = std::function<void(unsigned)>;
  using AppendHandler = std::function<bool(const MenuEntry&)>;

  explicit CMenu(CommandHandler onCommand);

  // Adds an entry at the end; one the system's menu refused is left out, so the entries stay
  // those the user sees.
  void AppendMenu(unsigned flags, unsigned id = 0, const std::string& text = {});

 private:
  friend struct MenuBackend;

  std::vector<MenuEntry> m_entries;
  CommandHandler m_onCommand;
  AppendHandler m_onAppend;
};

}  // namespace zarneth::fw

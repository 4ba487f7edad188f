#include "menu.h"

#include "win_types.h"

namespace zarneth::fw {

CMenu::CMenu(CommandHandler onCommand) : m_onCommand(std::move(onCommand)) {}

void CMenu::AppendMenu(unsigned flags, unsigned id, const std::string& text) {
  MenuEntry entry{flags, (flags & MF_SEPARATOR) ? 0u : id, (flags & MF_SEPARATOR) ? "" : text};
  if (m_onAppend && !m_onAppend(entry))
    return;
  m_entries.push_back(std::move(entry));
}

}  // namespace zarneth::fw

#include "menu.h"

#include "win_types.h"

namespace zarneth::fw {

CMenu::CMenu(CommandHandler onCommand, AppendHandler onAppend)
    : m_onCommand(std::move(onCommand)), m_onAppend(std::move(onAppend)) {}

bool CMenu::AppendMenu(unsigned flags, unsigned id, const std::string& text) {
  MenuEntry entry{flags, (flags & MF_SEPARATOR) ? 0u : id, (flags & MF_SEPARATOR) ? "" : text};
  if (m_onAppend)
    m_onAppend(entry);
  m_entries.push_back(std::move(entry));
  return true;
}

int CMenu::GetMenuItemCount() const {
  return static_cast<int>(m_entries.size());
}

unsigned CMenu::GetMenuItemID(int position) const {
  return position >= 0 && position < GetMenuItemCount() ? m_entries[position].id : 0;
}

std::string CMenu::GetMenuString(int position) const {
  return position >= 0 && position < GetMenuItemCount() ? m_entries[position].text : "";
}

bool CMenu::IsSeparator(int position) const {
  return position >= 0 && position < GetMenuItemCount() &&
         (m_entries[position].flags & MF_SEPARATOR) != 0;
}

}  // namespace zarneth::fw

#include "menu.h"

#include <QAction>
#include <QMenu>

#include "win_types.h"

namespace zarneth::fw {

CMenu::CMenu(QWidget* parent, std::function<void(unsigned)> onCommand)
    : m_menu(std::make_unique<QMenu>(parent)), m_onCommand(std::move(onCommand)) {}

CMenu::~CMenu() = default;

bool CMenu::AppendMenu(unsigned flags, unsigned id, const std::string& text) {
  if (flags & MF_SEPARATOR) {
    m_menu->addSeparator();
    return true;
  }
  QAction* action = m_menu->addAction(QString::fromStdString(text));
  action->setData(id);
  QObject::connect(action, &QAction::triggered, m_menu.get(), [this, id] { m_onCommand(id); });
  return true;
}

int CMenu::GetMenuItemCount() const {
  return static_cast<int>(m_menu->actions().size());
}

unsigned CMenu::GetMenuItemID(int position) const {
  const QAction* action = m_menu->actions().value(position);
  return action && !action->isSeparator() ? action->data().toUInt() : 0;
}

std::string CMenu::GetMenuString(int position) const {
  const QAction* action = m_menu->actions().value(position);
  return action ? action->text().toStdString() : std::string();
}

bool CMenu::IsSeparator(int position) const {
  const QAction* action = m_menu->actions().value(position);
  return action && action->isSeparator();
}

void CMenu::Popup(const QPoint& globalPosition) {
  m_menu->popup(globalPosition);
}

}  // namespace zarneth::fw

#pragma once

// What the backends reach inside the framework's public classes and nothing built on the
// framework calls: the window menu's entries, the paint context's native drawing, the
// pictures' places. Private to the framework (and its tests).

#include <string>
#include <vector>

#include "menu.h"
#include "paint_dc.h"

namespace zarneth::fw {

struct MenuBackend {
  // From now on, every entry appended to `menu` also goes to `onAppend` (the system's own
  // menu), which says whether it took it.
  static void KeepInStep(CMenu& menu, CMenu::AppendHandler onAppend) {
    menu.m_onAppend = std::move(onAppend);
  }
  static const std::vector<MenuEntry>& Entries(const CMenu& menu) { return menu.m_entries; }
  // What choosing the entry with this command number does.
  static void Choose(const CMenu& menu, unsigned id) { menu.m_onCommand(id); }
};

struct PaintBackend {
  static PaintNative& Native(CPaintDC& dc) { return *dc.m_native; }
};

// Where the backend finds the picture registered under `id` (RegisterPicture).
std::string FindPicture(int id);

}  // namespace zarneth::fw

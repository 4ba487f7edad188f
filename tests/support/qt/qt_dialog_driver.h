#pragma once

// What the Qt-only dialog cases use of the Qt driver besides DialogDriver.

#include <QList>
#include <QUrl>

class QMenu;
class QWidget;

namespace zarneth::fw {
class CDialog;
}

namespace zarneth::test {

// The widget of control `id` of a running dialog; 0: the dialog's own window.
QWidget* WidgetOfControl(const fw::CDialog& dialog, int id);

// Drops `urls` onto `target` the way Qt delivers a drag from a file manager: only to a
// widget that takes drops, and the drop only when the drag was accepted on entering.
void DropUrls(QWidget* target, const QList<QUrl>& urls);

// The popup menu on the screen, or null once it is gone (or none opened).
QMenu* ShownPopupMenu();

// Opens a running dialog's window menu as a user does, with a right click on its free area
// near the top right corner; the menu on the screen, or null when none opened.
QMenu* OpenWindowMenu(const fw::CDialog& dialog);

}  // namespace zarneth::test

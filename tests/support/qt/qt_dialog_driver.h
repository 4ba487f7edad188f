#pragma once

// What the Qt-only dialog cases use of the Qt driver besides DialogDriver.

#include <QList>
#include <QUrl>

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

}  // namespace zarneth::test

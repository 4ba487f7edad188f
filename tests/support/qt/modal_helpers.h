#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QWidget;

namespace zarneth::fw {
class CDialog;
}

namespace zarneth::test {

// Runs `body` inside the dialog's modal loop, then ends the dialog if `body` did not.
// Returns what DoModal returned.
int RunModal(fw::CDialog& dialog, const std::function<void()>& body);

// Calls `trigger`, which is expected to open a modal window above the current one, and
// hands that window to `handler` (which must close it). Returns false when no new modal
// window opened.
bool HandleNextModal(const std::function<void(QWidget*)>& handler,
                     const std::function<void()>& trigger);

// The same for a trigger that opens several modal windows one after the other: each goes to
// the next handler. Returns how many were handled.
int HandleModals(const std::vector<std::function<void(QWidget*)>>& handlers,
                 const std::function<void()>& trigger);

// The texts of a window's labels, in creation order.
QStringList LabelTexts(const QWidget* window);

// Chooses `path` in a file picker (a QFileDialog) and accepts it. The name is typed into the
// picker's name field, as a user types it: selectFile leaves that field alone while it has
// the focus, which depends on how fast the window became active. A picker that stays open
// is cancelled, so that a choice that did not take fails the test instead of hanging it.
void ChooseInPicker(QWidget* picker, const QString& path);

// Presses the default push button ("OK") of a modal dialog or message box.
void PressOk(QWidget* window);

}  // namespace zarneth::test

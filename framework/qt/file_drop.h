#pragma once

class QWidget;

namespace zarneth::fw {

// Lets an edit field take files dropped from a file manager: the field's text becomes the
// first file's local path (never a file:// address). Without it an edit field takes no
// drops at all, so a file dropped anywhere else on a dialog does nothing.
void AcceptFileDrops(QWidget* edit, bool accept);

}  // namespace zarneth::fw

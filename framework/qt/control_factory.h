#pragma once

#include "dialog_units.h"
#include "resource_registry.h"

class QWidget;

namespace zarneth::fw {

// Creates the widget for one template control inside `parent`, placed and styled as the
// template says: push buttons and check boxes, edits, text and picture statics, drop-down
// lists. Signals are connected by the caller.
QWidget* CreateControl(const ControlTemplate& control, QWidget* parent, BaseUnits units,
                       double pictureScale = 1.0);

}  // namespace zarneth::fw

#pragma once

// How the Qt backend fills the framework's opaque types: a window handle is a QWidget, an
// icon a QIcon, a paint a QPainter. For the backend and for tests of it, never for ui/.

#include <QIcon>
#include <QPainter>
#include <QWidget>

#include "dialog.h"
#include "paint_dc.h"
#include "wnd.h"

class QMenu;
class QPaintEvent;

namespace zarneth::fw {

class DialogWindow;

// A loaded icon, in every size the file holds.
struct IconData {
  QIcon icon;
};

struct PaintNative {
  explicit PaintNative(QWidget* widget) : painter(widget) {}
  QPainter painter;
};

struct DialogNative {
  DialogWindow* window = nullptr;
  QPaintEvent* paintEvent = nullptr;

  // The window's way to the dialog's handlers, each guarded as a handler is.
  static void Dispatch(CDialog& dialog, int id, Notification code) { dialog.Dispatch(id, code); }
  static void Paint(CDialog& dialog, QPaintEvent* event) {
    dialog.m_native->paintEvent = event;
    dialog.Guarded([&dialog] { dialog.OnPaint(); });
    dialog.m_native->paintEvent = nullptr;
  }
  static void Timer(CDialog& dialog, unsigned id) { dialog.DispatchTimer(id); }
  static void Cancel(CDialog& dialog) {
    dialog.Guarded([&dialog] { dialog.OnCancel(); });
  }
};

inline QWidget* WidgetOf(WindowHandle window) {
  return reinterpret_cast<QWidget*>(window);
}
inline WindowHandle HandleOf(QWidget* widget) {
  return reinterpret_cast<WindowHandle>(widget);
}
inline QWidget* WidgetOf(const CWnd& window) {
  return WidgetOf(window.GetSafeHwnd());
}

}  // namespace zarneth::fw

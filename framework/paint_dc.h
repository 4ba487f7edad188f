#pragma once

#include <QPainter>

#include "wnd.h"

namespace zarneth::fw {

// A drawing context on a window, valid during its paint handler.
class CPaintDC {
 public:
  explicit CPaintDC(CWnd* window);
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;

  // Draws `icon` at its standard size (SM_CXICON x SM_CYICON) with its top-left at x, y.
  void DrawIcon(int x, int y, HICON icon);
  QPainter& Painter() { return m_painter; }

 private:
  QPainter m_painter;
};

}  // namespace zarneth::fw

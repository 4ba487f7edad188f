#pragma once

#include <memory>

#include "wnd.h"

namespace zarneth::fw {

// What the backend draws with during a paint (a QPainter, a PAINTSTRUCT and its DC).
struct PaintNative;

// A drawing context on a window, valid during its paint handler.
class CPaintDC {
 public:
  explicit CPaintDC(CWnd* window);
  ~CPaintDC();
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;

  // Draws `icon` at its standard size (SM_CXICON x SM_CYICON) with its top-left at x, y.
  void DrawIcon(int x, int y, HICON icon);

 private:
  friend struct PaintBackend;

  std::unique_ptr<PaintNative> m_native;
};

}  // namespace zarneth::fw

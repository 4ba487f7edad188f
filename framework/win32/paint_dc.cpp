#include "paint_dc.h"

#include "win32_window.h"
#include "win_types.h"

namespace zarneth::fw {

int GetSystemMetrics(SystemMetric metric) {
  return ::GetSystemMetrics(static_cast<int>(metric));
}

CPaintDC::CPaintDC(CWnd* window) : m_native(std::make_unique<PaintNative>()) {
  m_native->window = HwndOf(*window);
  ::BeginPaint(m_native->window, &m_native->paint);
}

CPaintDC::~CPaintDC() {
  ::EndPaint(m_native->window, &m_native->paint);
}

void CPaintDC::DrawIcon(int x, int y, HICON icon) {
  if (icon)
    ::DrawIcon(m_native->paint.hdc, x, y, icon->icon);
}

}  // namespace zarneth::fw

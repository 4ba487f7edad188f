#include "paint_dc.h"

#include "qt_window.h"
#include "win_types.h"

namespace zarneth::fw {

int GetSystemMetrics(SystemMetric metric) {
  switch (metric) {
    case SM_CXICON:
    case SM_CYICON:
      return 32;
  }
  return 0;
}

CPaintDC::CPaintDC(CWnd* window)
    : m_native(std::make_unique<PaintNative>(WidgetOf(window->GetSafeHwnd()))) {}

CPaintDC::~CPaintDC() = default;

void CPaintDC::DrawIcon(int x, int y, HICON icon) {
  if (!icon)
    return;
  const int width = GetSystemMetrics(SM_CXICON);
  const int height = GetSystemMetrics(SM_CYICON);
  m_native->painter.drawPixmap(x, y, icon->icon.pixmap(width, height));
}

}  // namespace zarneth::fw

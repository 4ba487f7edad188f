#include "text_width.h"

#include <string>

#include "wide_text.h"
#include "win32_window.h"

namespace zarneth::fw {

int TextWidthInDialogUnits(const DialogTemplate& dialogTemplate, std::string_view text) {
  // The font the dialog manager makes from the template: its face at its point size.
  const HDC screen = ::GetDC(nullptr);
  const std::wstring face = WideFromUtf8(dialogTemplate.FaceName());
  const HFONT font = ::CreateFontW(
      -::MulDiv(dialogTemplate.pointSize, ::GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0,
      FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
      DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
  const HGDIOBJ previous = ::SelectObject(screen, font);
  // The dialog manager's horizontal base unit: the average width of the 52 Latin letters.
  SIZE letters{};
  ::GetTextExtentPoint32W(screen, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52,
                          &letters);
  const int baseX = (letters.cx / 26 + 1) / 2;
  const std::wstring wide = WideFromUtf8(std::string(text));
  SIZE extent{};
  ::GetTextExtentPoint32W(screen, wide.c_str(), static_cast<int>(wide.size()), &extent);
  ::SelectObject(screen, previous);
  ::DeleteObject(font);
  ::ReleaseDC(nullptr, screen);
  return baseX > 0 ? (extent.cx * 4 + baseX - 1) / baseX : extent.cx;
}

}  // namespace zarneth::fw

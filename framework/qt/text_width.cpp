#include "text_width.h"

#include <QFontMetrics>

#include "dialog_units.h"

namespace zarneth::fw {

int TextWidthInDialogUnits(const DialogTemplate& dialogTemplate, std::string_view text) {
  const QFont font = DialogFont(dialogTemplate.FaceName(), dialogTemplate.pointSize);
  const int pixels = QFontMetrics(font).horizontalAdvance(
      QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  const int baseX = BaseUnitsOf(font).x;
  return baseX > 0 ? (pixels * 4 + baseX - 1) / baseX : pixels;
}

}  // namespace zarneth::fw

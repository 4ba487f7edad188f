#include "dialog_units.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

namespace zarneth::fw {
namespace {

// value * numerator / denominator, rounded half away from zero like the classic MulDiv.
int MulDiv(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : (product - half) / denominator);
}

}  // namespace

QFont DialogFont(const std::string& faceName, int pointSize) {
  const QString face = QString::fromStdString(faceName);
  QFont font;
  if (!face.isEmpty() && QFontDatabase::families().contains(face)) {
    font.setFamily(face);
  } else {
    font.setStyleHint(QFont::SansSerif);
    font.setFamily(QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
  }
  font.setPointSize(pointSize);
  return font;
}

BaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {(letters / 26 + 1) / 2, metrics.height()};
}

QRect DialogUnitsToPixels(int x, int y, int cx, int cy, BaseUnits units) {
  return QRect(MulDiv(x, units.x, 4), MulDiv(y, units.y, 8), MulDiv(cx, units.x, 4),
               MulDiv(cy, units.y, 8));
}

}  // namespace zarneth::fw

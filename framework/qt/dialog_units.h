#pragma once

#include <QFont>
#include <QRect>
#include <string>

// Templates measure in dialog units, which scale with the dialog font: a horizontal unit is a
// quarter of the font's average letter width, a vertical unit an eighth of its height.
namespace zarneth::fw {

struct BaseUnits {
  int x = 0;
  int y = 0;
};

// The template's font where it is installed, else the system's sans-serif, at the given size.
QFont DialogFont(const std::string& faceName, int pointSize);

// Horizontal: the average width of the 52 Latin letters, rounded; vertical: the font height.
BaseUnits BaseUnitsOf(const QFont& font);

// A rectangle in dialog units as pixels, rounded to the nearest pixel.
QRect DialogUnitsToPixels(int x, int y, int cx, int cy, BaseUnits units);

}  // namespace zarneth::fw

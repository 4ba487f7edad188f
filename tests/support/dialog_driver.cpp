#include "dialog_driver.h"

#include <ostream>

namespace zarneth::test {

bool Rect::Contains(const Rect& other) const {
  return other.x >= x && other.y >= y && other.x + other.width <= x + width &&
         other.y + other.height <= y + height;
}

std::ostream& operator<<(std::ostream& out, const Rect& rect) {
  return out << "(" << rect.x << ", " << rect.y << ") " << rect.width << "x" << rect.height;
}

}  // namespace zarneth::test

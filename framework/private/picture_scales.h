#pragma once

namespace zarneth::fw {

// The larger drawings a picture may have beside its own, largest first: from which window
// scale each is shown, the scale it was drawn for, and where the backend finds it (the Qt
// resource's name takes the suffix before its extension; the Win32 resource's number adds
// the offset).
struct PictureScale {
  double from;
  double scale;
  const char* suffix;
  int resourceOffset;
};
inline constexpr PictureScale kPictureScales[] = {{1.75, 2.0, "@2x", 2000},
                                                  {1.25, 1.5, "@1.5x", 1000}};

}  // namespace zarneth::fw

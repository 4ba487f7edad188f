#include "device_names.h"

#include "file_paths.h"

namespace zarneth {

bool IsDeviceName(const std::string& path) {
  // The name's part before its first dot, in any case: "con", "NUL.txt", "COM1.bin".
  std::string stem = NameOf(path).substr(0, NameOf(path).find('.'));
  while (!stem.empty() && (stem.back() == ' ' || stem.back() == ':'))
    stem.pop_back();
  for (char& c : stem)
    c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" ||
      stem == "CONOUT$")
    return true;
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
         stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace zarneth

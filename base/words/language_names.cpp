#include <cctype>
#include <string>
#include <string_view>

#include "words.h"

namespace zarneth {
namespace {

// A language name as locales write one: letters, then optionally "_REGION", ".CHARSET" and
// "@VARIANT" of letters, digits and '-'. No '/', no "..": a name never reaches a folder.
bool IsLanguageName(std::string_view name) {
  if (name.empty() || name.size() > 64 || !std::isalpha(static_cast<unsigned char>(name[0])))
    return false;
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (!std::isalnum(u) && c != '_' && c != '.' && c != '@' && c != '-')
      return false;
  }
  return name.find("..") == std::string_view::npos;
}

}  // namespace

std::string LanguageNamesOnly(std::string_view list) {
  std::string kept;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t end = std::min(list.find(':', start), list.size());
    const std::string_view entry = list.substr(start, end - start);
    if (IsLanguageName(entry))
      kept += (kept.empty() ? "" : ":") + std::string(entry);
    start = end + 1;
  }
  return kept;
}

}  // namespace zarneth

// Windows: the catalogs travel inside the program, one resource each (RCDATA named
// CATALOG_DE, CATALOG_FR, ...), read by the .mo reader; the language from LANGUAGE, as
// gettext programs take it, or else the user's interface language.
#include <windows.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "catalog.h"
#include "words.h"

namespace zarneth {
namespace {

std::optional<Catalog> active;

// "de_DE" and then "de" for each language of `list` ("de_DE:fr"), in order.
void AddLanguages(std::vector<std::string>& languages, const std::string& list) {
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t end = std::min(list.find(':', start), list.size());
    std::string language = list.substr(start, end - start);
    language = language.substr(0, language.find_first_of(".@"));
    if (!language.empty()) {
      languages.push_back(language);
      const std::size_t region = language.find_first_of("_-");
      if (region != std::string::npos)
        languages.push_back(language.substr(0, region));
    }
    start = end + 1;
  }
}

// The languages to look for, best first.
std::vector<std::string> UserLanguages() {
  std::vector<std::string> languages;
  const char* chosen = std::getenv("LANGUAGE");
  if (chosen && *chosen) {
    AddLanguages(languages, LanguageNamesOnly(chosen));
    return languages;
  }
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  if (::LCIDToLocaleName(MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT), name,
                         LOCALE_NAME_MAX_LENGTH, 0) > 0) {
    std::string narrow;
    for (const wchar_t* c = name; *c; ++c)
      narrow += static_cast<char>(*c == L'-' ? L'_' : *c);  // "de-DE": ASCII only
    AddLanguages(languages, narrow);
  }
  return languages;
}

std::optional<Catalog> CatalogInProgram(const std::string& language) {
  std::string resource = "CATALOG_";
  for (const char c : language)
    resource += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  const HRSRC found = ::FindResourceA(nullptr, resource.c_str(), MAKEINTRESOURCEA(10));
  const HGLOBAL loaded = found ? ::LoadResource(nullptr, found) : nullptr;
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes)
    return std::nullopt;
  return Catalog::Read(
      std::string_view(static_cast<const char*>(bytes), ::SizeofResource(nullptr, found)));
}

}  // namespace

void UseUserLanguage() {
  active.reset();
  for (const std::string& language : UserLanguages()) {
    if ((active = CatalogInProgram(language)))
      return;
  }
}

const char* Tr(const char* english) {
  const char* found = active ? active->Find(english) : nullptr;
  return found ? found : english;
}

const char* TrPlural(const char* singular, const char* plural, unsigned long count) {
  const char* found = active ? active->FindPlural(singular, count) : nullptr;
  return found ? found : count == 1 ? singular : plural;
}

}  // namespace zarneth

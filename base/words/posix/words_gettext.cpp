// Linux: glibc's gettext, with the catalogs beside the program (share/locale under the
// install prefix, or the build tree's, the same way from its bin folder).
#include <libintl.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "words.h"

namespace zarneth {
namespace {

constexpr const char* kDomain = "zarneth";

// share/locale beside the program's bin folder, where it holds this system's catalogs;
// otherwise the install prefix's.
std::string CatalogFolder() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    const std::filesystem::path beside = program.parent_path().parent_path() / "share/locale";
    if (std::filesystem::is_directory(beside, error))
      return beside.string();
  }
  return ZARNETH_LOCALE_DIR;
}

}  // namespace

void UseUserLanguage() {
  // glibc reads LANGUAGE's entries as parts of catalog paths: only language names stay.
  if (const char* languages = std::getenv("LANGUAGE")) {
    const std::string kept = LanguageNamesOnly(languages);
    if (kept != languages)
      ::setenv("LANGUAGE", kept.c_str(), 1);
  }
  // Messages and the character set only: numbers and the like stay as the code writes them.
  std::setlocale(LC_MESSAGES, "");
  std::setlocale(LC_CTYPE, "");
  ::bindtextdomain(kDomain, CatalogFolder().c_str());
  ::bind_textdomain_codeset(kDomain, "UTF-8");
}

const char* Tr(const char* english) {
  return ::dgettext(kDomain, english);
}

const char* TrPlural(const char* singular, const char* plural, unsigned long count) {
  return ::dngettext(kDomain, singular, plural, count);
}

}  // namespace zarneth

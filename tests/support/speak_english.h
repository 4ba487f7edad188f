#pragma once

#include <clocale>

#include "scoped_environment.h"
#include "words.h"

namespace zarneth::test {

// Back to English after a test chose a language, whatever the environment the tests run
// in says: gettext reads LANGUAGE at every lookup, except in the plain C locale; Windows
// keeps the catalog it chose.
inline void SpeakEnglish() {
#ifdef _WIN32
  const ScopedEnvironment english("LANGUAGE", "en");
  UseUserLanguage();
#else
  std::setlocale(LC_MESSAGES, "C");
#endif
}

}  // namespace zarneth::test

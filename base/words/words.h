#pragma once

// The words this system writes, in the user's language: every text is written in English in
// the code and looked up in the catalog of the user's language (GNU gettext's .mo format),
// falling back to the English. A text with values to fill in names them %s, or %1$s, %2$s
// where a language puts them in another order; numbers are filled in as text, so no
// catalog changes how a number, an address or a file name is written.

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace zarneth {

// Chooses the catalog of the user's language, once, before any text is looked up. Linux:
// LANGUAGE, LC_ALL, LC_MESSAGES and LANG, as every gettext program; Windows: LANGUAGE, then
// the user's interface language. Without it every text stays English.
void UseUserLanguage();

// The entries of a LANGUAGE list ("de_DE:fr") that are language names; an entry with a '/'
// or "..", or anything but letters, digits and "_.@-", is left out, so that no list leads
// the catalog lookup into a folder someone else wrote (sudo keeps LANGUAGE).
std::string LanguageNamesOnly(std::string_view list);

// The user's language's text for `english`; `english` itself where there is none.
const char* Tr(const char* english);
// The text for `count` things ("%s byte" for one, "%s bytes" for more), by the language's own
// rule for plurals.
const char* TrPlural(const char* singular, const char* plural, unsigned long count);
// Marks `english` for the catalog where it stands in a table; it is looked up (Tr) where it
// is used.
constexpr const char* TrMark(const char* english) {
  return english;
}

// `format` with its places filled: %s takes the next value, %N$s the Nth, %% is a percent
// sign. A place with no value stays as it is written.
std::string Fill(std::string_view format, std::initializer_list<std::string_view> values);

// A list as a sentence gives it, "a, b, c or d": `pair`, a translated pattern of two places
// ("%s or %s", "%s and %s"), joins the last two items, and a comma the ones before, as the
// list patterns of every language we carry have it (CLDR: de, en, fr, ru).
std::string ListText(const std::vector<std::string>& items, const char* pair);

// Tr, then Fill.
inline std::string TrFill(const char* english, std::initializer_list<std::string_view> values) {
  return Fill(Tr(english), values);
}

}  // namespace zarneth

#pragma once

// A catalog in GNU gettext's .mo format, read from its bytes: for a system that has no
// gettext of its own (Windows), whose catalogs travel inside the program.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace zarneth {

class Catalog {
 public:
  // The catalog `bytes` hold; none where they hold no .mo catalog (or a damaged one).
  static std::optional<Catalog> Read(std::string_view bytes);

  // The translation of `english`; none where the catalog has none.
  const char* Find(const char* english) const;
  // The form of the plural text `singular` that goes with `count`; none where the catalog
  // has none.
  const char* FindPlural(const char* singular, unsigned long count) const;

 private:
  // Each text's translation; a plural's forms one after the other, each ended by a NUL.
  std::unordered_map<std::string, std::string> m_texts;
  // The language's rule for plurals: a C expression of n ("n != 1").
  std::string m_pluralRule = "n != 1";
};

// The value of the C expression `rule` of `n`, as a catalog's Plural-Forms says it
// ("n%10==1 && n%100!=11 ? 0 : 1"); none where it is no such expression.
std::optional<unsigned long> PluralIndex(std::string_view rule, unsigned long n);

}  // namespace zarneth

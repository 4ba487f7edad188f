#include "catalog.h"

#include <cstdint>
#include <cstring>

namespace zarneth {
namespace {

constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::uint32_t kMagicSwapped = 0xde120495;

// The operators of a plural rule, in C's order of precedence, loosest first.
class PluralParser {
 public:
  PluralParser(std::string_view text, unsigned long n) : m_text(text), m_n(n) {}

  std::optional<unsigned long> Whole() {
    const auto value = Conditional();
    Blanks();
    if (!value || m_at != m_text.size())
      return std::nullopt;
    return value;
  }

 private:
  using Value = std::optional<unsigned long>;

  void Blanks() {
    while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t'))
      ++m_at;
  }
  bool Take(std::string_view token) {
    Blanks();
    if (m_text.substr(m_at, token.size()) != token)
      return false;
    // "<" is not the start of "<=", nor "!" of "!=", nor "=" alone anything.
    if (token.size() == 1 && m_at + 1 < m_text.size() && m_text[m_at + 1] == '=' &&
        (token == "<" || token == ">" || token == "!"))
      return false;
    m_at += token.size();
    return true;
  }

  // Nesting deeper than any language's rule needs ends the rule's reading: a catalog cannot
  // exhaust the stack.
  static constexpr int kDeepest = 64;
  struct Deeper {
    explicit Deeper(int& depth) : m_depth(depth) { ++m_depth; }
    ~Deeper() { --m_depth; }
    bool TooDeep() const { return m_depth > kDeepest; }
    int& m_depth;
  };

  Value Conditional() {
    const Deeper deeper(m_depth);
    if (deeper.TooDeep())
      return std::nullopt;
    const Value condition = Or();
    if (!condition || !Take("?"))
      return condition;
    const Value yes = Conditional();
    if (!yes || !Take(":"))
      return std::nullopt;
    const Value no = Conditional();
    if (!no)
      return std::nullopt;
    return *condition ? yes : no;
  }
  Value Or() {
    Value left = And();
    while (left && Take("||")) {
      const Value right = And();
      left = right ? Value(*left || *right) : std::nullopt;
    }
    return left;
  }
  Value And() {
    Value left = Equality();
    while (left && Take("&&")) {
      const Value right = Equality();
      left = right ? Value(*left && *right) : std::nullopt;
    }
    return left;
  }
  Value Equality() {
    Value left = Relation();
    for (;;) {
      const bool equal = Take("==");
      if (!left || (!equal && !Take("!=")))
        return left;
      const Value right = Relation();
      left = right ? Value((*left == *right) == equal) : std::nullopt;
    }
  }
  Value Relation() {
    Value left = Sum();
    for (;;) {
      if (!left)
        return left;
      int op = Take("<=") ? 0 : Take(">=") ? 1 : Take("<") ? 2 : Take(">") ? 3 : -1;
      if (op < 0)
        return left;
      const Value right = Sum();
      if (!right)
        return std::nullopt;
      const bool holds = op == 0   ? *left <= *right
                         : op == 1 ? *left >= *right
                         : op == 2 ? *left < *right
                                   : *left > *right;
      left = holds;
    }
  }
  Value Sum() {
    Value left = Product();
    for (;;) {
      const bool plus = Take("+");
      if (!left || (!plus && !Take("-")))
        return left;
      const Value right = Product();
      left = right ? Value(plus ? *left + *right : *left - *right) : std::nullopt;
    }
  }
  Value Product() {
    Value left = Unary();
    for (;;) {
      const char op = Take("*") ? '*' : Take("/") ? '/' : Take("%") ? '%' : 0;
      if (!left || op == 0)
        return left;
      const Value right = Unary();
      if (!right || (op != '*' && *right == 0))
        return std::nullopt;
      left = op == '*' ? *left * *right : op == '/' ? *left / *right : *left % *right;
    }
  }
  Value Unary() {
    const Deeper deeper(m_depth);
    if (deeper.TooDeep())
      return std::nullopt;
    if (Take("!")) {
      const Value value = Unary();
      return value ? Value(!*value) : std::nullopt;
    }
    if (Take("(")) {
      const Value value = Conditional();
      return value && Take(")") ? value : std::nullopt;
    }
    if (Take("n"))
      return m_n;
    Blanks();
    if (m_at >= m_text.size() || m_text[m_at] < '0' || m_text[m_at] > '9')
      return std::nullopt;
    unsigned long number = 0;
    while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9')
      number = number * 10 + static_cast<unsigned long>(m_text[m_at++] - '0');
    return number;
  }

  std::string_view m_text;
  std::size_t m_at = 0;
  unsigned long m_n;
  int m_depth = 0;
};

// The plural rule of a catalog's header: what follows "plural=" up to the ';' or the line's
// end.
std::optional<std::string> PluralRuleOf(const std::string& header) {
  const std::size_t line = header.find("Plural-Forms:");
  if (line == std::string::npos)
    return std::nullopt;
  const std::size_t start = header.find("plural=", line);
  if (start == std::string::npos)
    return std::nullopt;
  const std::size_t end = header.find_first_of(";\n", start);
  return header.substr(start + 7, end == std::string::npos ? end : end - start - 7);
}

}  // namespace

std::optional<unsigned long> PluralIndex(std::string_view rule, unsigned long n) {
  return PluralParser(rule, n).Whole();
}

std::optional<Catalog> Catalog::Read(std::string_view bytes) {
  if (bytes.size() < 28)
    return std::nullopt;
  std::uint32_t magic = 0;
  std::memcpy(&magic, bytes.data(), 4);
  if (magic != kMagic && magic != kMagicSwapped)
    return std::nullopt;
  const bool swapped = magic == kMagicSwapped;
  // A 32-bit number at `at`, none past the end.
  const auto word = [&](std::uint64_t at) -> std::optional<std::uint32_t> {
    if (at + 4 > bytes.size())
      return std::nullopt;
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    if (swapped)
      value = (value >> 24) | ((value >> 8) & 0xff00) | ((value << 8) & 0xff0000) | (value << 24);
    return value;
  };
  // The string whose length and offset stand at `entry`.
  const auto text = [&](std::uint64_t entry) -> std::optional<std::string> {
    const auto length = word(entry);
    const auto offset = word(entry + 4);
    if (!length || !offset || std::uint64_t{*offset} + *length > bytes.size())
      return std::nullopt;
    return std::string(bytes.substr(*offset, *length));
  };
  const auto count = word(8);
  const auto originals = word(12);
  const auto translations = word(16);
  if (!count || !originals || !translations)
    return std::nullopt;
  Catalog catalog;
  for (std::uint32_t i = 0; i < *count; ++i) {
    auto english = text(*originals + std::uint64_t{i} * 8);
    auto translated = text(*translations + std::uint64_t{i} * 8);
    if (!english || !translated)
      return std::nullopt;
    if (english->empty()) {
      if (auto rule = PluralRuleOf(*translated))
        catalog.m_pluralRule = std::move(*rule);
      continue;
    }
    // A plural's key is its singular; its forms end each with a NUL.
    english->resize(std::strlen(english->c_str()));
    translated->push_back('\0');
    catalog.m_texts.emplace(std::move(*english), std::move(*translated));
  }
  return catalog;
}

const char* Catalog::Find(const char* english) const {
  const auto found = m_texts.find(english);
  return found == m_texts.end() ? nullptr : found->second.c_str();
}

const char* Catalog::FindPlural(const char* singular, unsigned long count) const {
  const auto found = m_texts.find(singular);
  if (found == m_texts.end())
    return nullptr;
  const unsigned long index = PluralIndex(m_pluralRule, count).value_or(count == 1 ? 0 : 1);
  // The forms one after the other: the index-th, or the last where there are fewer.
  const std::string& forms = found->second;
  std::size_t at = 0;
  for (unsigned long form = 0; form < index; ++form) {
    const std::size_t next = forms.find('\0', at) + 1;
    if (next >= forms.size())
      break;
    at = next;
  }
  return forms.c_str() + at;
}

}  // namespace zarneth

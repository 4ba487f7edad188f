#include <sstream>
#include <string_view>

#include "console.h"
#include "exit_codes.h"
#include "hex_address.h"

namespace zarneth::cli {
namespace {

constexpr std::size_t kColumns = 80;

// Whether a word stays on the line of the word after it: an exit code ("3", "128", "+")
// starts the line of what it means.
bool HoldsToNext(const std::string& word) {
  return word == "+" || word.find_first_not_of("0123456789") == std::string::npos;
}

// `text` broken into lines of at most kColumns at its spaces, each line ended.
std::string Wrapped(const std::string& text) {
  std::istringstream words(text);
  std::string wrapped;
  std::string line;
  std::string held;  // words that go with the next one
  for (std::string word; words >> word;) {
    if (HoldsToNext(word)) {
      held += word + ' ';
      continue;
    }
    word = held + word;
    held.clear();
    if (!line.empty() && line.size() + 1 + word.size() > kColumns) {
      wrapped += line + '\n';
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  if (!held.empty())
    line += (line.empty() ? "" : " ") + held.substr(0, held.size() - 1);
  return wrapped + line + '\n';
}

// "0 done, 1 failed ..., " with `between` after each code.
template <std::size_t N>
std::string Listed(const CodeMeaning (&meanings)[N], const char* between) {
  std::string listed;
  for (const CodeMeaning& entry : meanings)
    listed += std::to_string(entry.code) + between + entry.meaning + ", ";
  return listed;
}

}  // namespace

std::string HelpFooter() {
  // The engine's address rule gives the advice after its "give ".
  const std::string_view rule = kAddressRule;
  const std::string_view advice = rule.substr(rule.find("give ") + 5);
  return Wrapped("Addresses: " + std::string(advice) + ". A block must lie inside the image.") +
         Wrapped("Exit codes: " + Listed(kExitCodeMeanings, " ") + kInterruptsHelp +
                 " (nothing changed).");
}

std::string VerifyHelpFooter() {
  std::string listed = Listed(kVerifyCodeMeanings, " ");
  listed.resize(listed.size() - 2);  // the last ", "
  return Wrapped("verify exits " + listed + ".");
}

}  // namespace zarneth::cli

#include "help_text.h"

#include <span>
#include <sstream>

#include "console.h"
#include "exit_codes.h"
#include "hex_address.h"
#include "words.h"

namespace zarneth::cli {
namespace {

// Whether a word stays on the line of the word after it: an exit code ("3", "128", "+")
// starts the line of what it means.
bool HoldsToNext(const std::string& word) {
  return word == "+" || word.find_first_not_of("0123456789") == std::string::npos;
}

// The characters of a UTF-8 text, as a terminal's columns count them (one for each letter,
// Cyrillic and accented ones included).
std::size_t Characters(const std::string& text) {
  std::size_t count = 0;
  for (const char byte : text)
    count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
  return count;
}

// `text` broken into lines of at most `columns` at its spaces, each line ended.
std::string Wrapped(const std::string& text, std::size_t columns) {
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
    if (!line.empty() && Characters(line) + 1 + Characters(word) > columns) {
      wrapped += line + '\n';
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  if (!held.empty())
    line += (line.empty() ? "" : " ") + held.substr(0, held.size() - 1);
  return wrapped + line + '\n';
}

// "0 done, 1 failed (...), 2 usage error": each code with its meaning.
std::string Listed(std::span<const CodeMeaning> meanings) {
  std::string listed;
  for (const CodeMeaning& entry : meanings)
    listed += (listed.empty() ? "" : ", ") + std::to_string(entry.code) + " " + Tr(entry.meaning);
  return listed;
}

class Wrapping : public CLI::Formatter {
 public:
  // A value is named as a user reads it (FILE, HEX, NAME), a required option says so in words.
  // CLI11's own words are said in the user's language too.
  explicit Wrapping(std::size_t columns) : m_columns(columns) {
    label("REQUIRED", Tr("(required)"));
    // TRANSLATORS: a heading the help follows with a colon, as CLI11 writes it: where the
    // language puts a space before a colon (French), end the heading with a narrow no-break
    // space (U+202F).
    label("Usage", Tr("Usage"));
    label("OPTIONS", Tr("OPTIONS"));
    label("SUBCOMMAND", Tr("SUBCOMMAND"));
    label("SUBCOMMANDS", Tr("SUBCOMMANDS"));
    // TRANSLATORS: a heading followed by a colon; see "Usage".
    label("Options", Tr("Options"));
    // TRANSLATORS: a heading followed by a colon; see "Usage".
    label("Subcommands", Tr("Subcommands"));
  }

  std::string make_description(const CLI::App* app) const override {
    const std::string description = app->get_description();
    return description.empty() ? std::string() : Wrapped(description, m_columns);
  }
  std::string make_subcommand(const CLI::App* command) const override {
    std::ostringstream out;
    CLI::detail::format_help(out, command->get_display_name(true),
                             InColumn(command->get_description()), get_column_width());
    return out.str();
  }
  std::string make_option_desc(const CLI::Option* option) const override {
    return InColumn(CLI::Formatter::make_option_desc(option));
  }

 private:
  // A description wrapped to the room right of the names' column; CLI11 ends its line.
  std::string InColumn(const std::string& description) const {
    const std::size_t column = get_column_width();
    std::string text = Wrapped(description, m_columns > column + 20 ? m_columns - column : 20);
    text.pop_back();
    return text;
  }

  std::size_t m_columns;
};

}  // namespace

std::shared_ptr<CLI::Formatter> WrappingFormatter(std::size_t columns) {
  return std::make_shared<Wrapping>(columns);
}

const Footer kToolFooter = {TrMark("A block or a range must lie inside the image."),
                            kExitCodeMeanings, TrMark("Exit codes:"), true};

std::string HelpFooter(const Footer& footer, std::size_t columns) {
  std::string text;
  if (footer.addresses)
    // TRANSLATORS: %1$s tells how addresses are written, %2$s a sentence on exit codes.
    text += Wrapped(TrFill("Addresses: %s. %s", {AddressAdvice(), Tr(footer.addresses)}), columns);
  std::string codes = std::string(Tr(footer.codesLead)) + " " + Listed(footer.codes);
  if (footer.stoppable)
    // TRANSLATORS: %1$s and %2$s are exit codes with their meaning ("2 usage error").
    codes = TrFill("%s; %s (nothing changed)", {codes, InterruptsHelp()});
  return text + Wrapped(codes + ".", columns);
}

}  // namespace zarneth::cli

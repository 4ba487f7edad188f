#include "command_line.h"

#include <algorithm>
#include <set>

#include "quoted_name.h"
#include "words.h"

namespace zarneth::cli {
namespace {

// The option of `app` that `name` ("--output", "-q") names, if any.
CLI::Option* OptionNamed(CLI::App& app, const std::string& name) {
  for (CLI::Option* option : app.get_options()) {
    if (name.starts_with("--") && option->check_lname(name.substr(2)))
      return option;
    if (name.size() == 2 && name[0] == '-' && option->check_sname(name.substr(1)))
      return option;
  }
  return nullptr;
}

CLI::App* CommandNamed(CLI::App& app, const std::string& name) {
  for (CLI::App* command : app.get_subcommands({}))
    if (command->check_name(name))
      return command;
  return nullptr;
}

// "patch, cut, verify, show or models": the commands as the help lists them.
std::string CommandList(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* command : app.get_subcommands({}))
    names.push_back(command->get_name());
  // TRANSLATORS: the last two of a list of choices ("show or models"); the ones before are
  // joined by commas.
  return ListText(names, Tr("%s or %s"));
}

bool TakesValue(const CLI::Option& option) {
  return option.get_items_expected_max() > 0;
}

// Why the option's own check refuses `value`; empty where it takes it or has no check.
std::string WhyRefused(CLI::Option& option, std::string value) {
  try {
    return (*option.get_validator(0))(value);
  } catch (const CLI::OptionNotFound&) {
    return {};
  }
}

// The walk over the words, one at a time.
class Reader {
 public:
  Reader(CLI::App& app, const std::function<void(CLI::App&)>& addOptions)
      : m_app(app), m_current(&app), m_addOptions(addOptions) {}

  CommandLine Read(const std::vector<std::string>& arguments) {
    m_arguments = &arguments;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
      const std::string& word = arguments[i];
      if (word.size() < 2 || word[0] != '-') {
        if (!Command(word))
          return m_line;
        continue;
      }
      const std::size_t equals = word.find('=');
      const std::string name = word.substr(0, equals);
      CLI::Option* option = OptionNamed(*m_current, name);
      if (!option)
        return Mistake(TrFill("unrecognized option %s", {QuotedName(name)}));
      // Answered before anything that follows.
      if (option->check_lname("help")) {
        m_line.asks = CommandLine::Asks::Help;
        return m_line;
      }
      if (option->check_lname("version")) {
        // "--version --help" answers as "--help --version" does: with the help.
        const bool helpToo = std::any_of(arguments.begin(), arguments.end(),
                                         [](const auto& w) { return w == "--help" || w == "-h"; });
        if (arguments.size() == 2 && helpToo) {
          m_line.asks = CommandLine::Asks::Help;
          return m_line;
        }
        if (arguments.size() != 1)
          return Mistake(Tr("option '--version' takes no other argument"));
        m_line.asks = CommandLine::Asks::Version;
        return m_line;
      }
      std::optional<std::string> value;
      if (TakesValue(*option)) {
        if (equals != std::string::npos) {
          value = word.substr(equals + 1);
        } else {
          if (i + 1 == arguments.size())
            return Mistake(TrFill("option %s needs a value", {QuotedName(name)}));
          const std::string& next = arguments[i + 1];
          if (next.size() > 1 && next[0] == '-')
            // TRANSLATORS: %1$s and %2$s are options of the command line ("--start").
            return Mistake(TrFill("option %s needs a value, not the option %s",
                                  {QuotedName(name), QuotedName(next)}));
          value = next;
          ++i;
        }
        if (value->empty())
          return Mistake(TrFill("option %s was given an empty value", {QuotedName(name)}));
      } else if (equals != std::string::npos) {
        return Mistake(TrFill("option %s takes no value", {QuotedName(name)}));
      }
      if (!Given(*option, name, value))
        return m_line;
    }
    if (m_line.command.empty())
      return Mistake(TrFill("no command given: %s", {CommandList(m_app)}));
    for (CLI::Option* option : m_current->get_options()) {
      if (option->get_required() && option->count() == 0)
        return Mistake(TrFill("option %s is required", {QuotedName(option->get_name())}));
    }
    // Every value checked: each goes where its option keeps it.
    for (CLI::Option* option : m_current->get_options())
      if (option->count() > 0)
        option->run_callback();
    return m_line;
  }

 private:
  // A mistake met before the command is named still points to the command's help, where
  // the options are listed: the first word that is no option, if it names one.
  CommandLine& Mistake(std::string words) {
    m_line.mistake = std::move(words);
    if (m_line.command.empty()) {
      const auto named =
          std::find_if(m_arguments->begin(), m_arguments->end(),
                       [](const std::string& word) { return !word.starts_with('-'); });
      if (named != m_arguments->end() && CommandNamed(m_app, *named))
        m_line.command = *named;
    }
    return m_line;
  }

  // The command `word`; false (a mistake) where it is none, or a second one.
  bool Command(const std::string& word) {
    if (!m_line.command.empty()) {
      Mistake(TrFill("unexpected argument %s", {QuotedName(word)}));
      return false;
    }
    m_current = CommandNamed(m_app, word);
    if (!m_current) {
      Mistake(TrFill("unknown command %s", {QuotedName(word)}));
      return false;
    }
    m_line.command = m_current->get_name();
    m_addOptions(*m_current);
    // An option before the command is the command's own (-q): one the command does not
    // take has no meaning there either.
    for (const auto& [name, value] : m_toolOptions) {
      CLI::Option* option = OptionNamed(*m_current, name);
      if (!option) {
        // TRANSLATORS: %1$s is an option ("--backup"), %2$s a command or a way of running it.
        Mistake(TrFill("option %s has no meaning for %s", {QuotedName(name), word}));
        return false;
      }
      if (m_givenBefore.count(option) > 0) {
        Mistake(TrFill("option %s was given twice", {QuotedName(name)}));
        return false;
      }
      if (!Given(*option, name, value))
        return false;
      m_givenBefore.insert(option);
    }
    return true;
  }

  // Takes `value` (none: a flag) for `option`, named `name`; false (a mistake) where it was
  // given before or its check refuses the value.
  bool Given(CLI::Option& option, const std::string& name,
             const std::optional<std::string>& value) {
    if (m_line.command.empty()) {
      m_toolOptions.emplace_back(name, value);  // the command's, once it is named
      return true;
    }
    // The same flag before the command and again after it ("-q cut ... -q") says it once.
    if (option.count() > 0 && !value && m_givenBefore.erase(&option) > 0)
      return true;
    // --models names one table each time it is given.
    if (option.count() > 0 && !option.check_lname("models")) {
      Mistake(TrFill("option %s was given twice", {QuotedName(name)}));
      return false;
    }
    if (value) {
      if (const std::string why = WhyRefused(option, *value); !why.empty()) {
        // TRANSLATORS: %1$s is an option ("--start"), %2$s what is wrong with its value.
        Mistake(TrFill("option %s: %s", {QuotedName(name), why}));
        return false;
      }
    }
    option.add_result(value ? *value : option.get_flag_value(name, ""));
    return true;
  }

  CLI::App& m_app;
  CLI::App* m_current;
  const std::function<void(CLI::App&)>& m_addOptions;
  const std::vector<std::string>* m_arguments = nullptr;
  CommandLine m_line;
  std::vector<std::pair<std::string, std::optional<std::string>>> m_toolOptions;
  std::set<const CLI::Option*> m_givenBefore;  // given before the command, not yet after
};

}  // namespace

CommandLine ReadCommandLine(CLI::App& app, const std::vector<std::string>& arguments,
                            const std::function<void(CLI::App& command)>& addOptions) {
  return Reader(app, addOptions).Read(arguments);
}

}  // namespace zarneth::cli

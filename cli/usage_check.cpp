#include "usage_check.h"

#include <map>

#include "quoted_name.h"

namespace zarneth::cli {
namespace {

// The option of `app` that `name` ("--output", "-q") names, if any.
const CLI::Option* OptionNamed(const CLI::App& app, const std::string& name) {
  for (const CLI::Option* option : app.get_options()) {
    if (name.starts_with("--") && option->check_lname(name.substr(2)))
      return option;
    if (name.size() == 2 && name[0] == '-' && option->check_sname(name.substr(1)))
      return option;
  }
  return nullptr;
}

const CLI::App* CommandNamed(const CLI::App& app, const std::string& name) {
  for (const CLI::App* command : app.get_subcommands({}))
    if (command->check_name(name))
      return command;
  return nullptr;
}

// "patch, cut, verify, show or models": the commands as the help lists them.
std::string CommandList(const CLI::App& app) {
  const auto commands = app.get_subcommands({});
  std::string list;
  for (std::size_t i = 0; i < commands.size(); ++i)
    list += (i == 0 ? "" : i + 1 == commands.size() ? " or " : ", ") + commands[i]->get_name();
  return list;
}

bool TakesValue(const CLI::Option& option) {
  return option.get_items_expected_max() > 0;
}

std::string Quoted(const std::string& word) {
  return QuotedName(word);
}

}  // namespace

std::optional<std::string> UsageMistake(const CLI::App& app,
                                        const std::vector<std::string>& arguments) {
  const CLI::App* current = &app;
  std::map<const CLI::Option*, int> given;
  std::vector<std::string> toolOptions;  // given before the command
  bool command = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    if (word.size() < 2 || word[0] != '-') {
      if (command)
        return "unexpected argument " + Quoted(word);
      current = CommandNamed(app, word);
      if (!current)
        return "unknown command " + Quoted(word);
      command = true;
      // An option before the command is the command's own (-q): one the command does not
      // take has no meaning there either.
      for (const std::string& name : toolOptions)
        if (!OptionNamed(*current, name))
          return "option " + Quoted(name) + " has no meaning for " + word;
      continue;
    }
    const std::size_t equals = word.find('=');
    const std::string name = word.substr(0, equals);
    const CLI::Option* option = OptionNamed(*current, name);
    if (!option)
      return "unrecognized option " + Quoted(name);
    if (option->check_lname("help"))
      return std::nullopt;  // answered before anything else
    if (option->check_lname("version"))
      return arguments.size() == 1
                 ? std::nullopt
                 : std::optional<std::string>("option '--version' takes no other argument");
    if (!command)
      toolOptions.push_back(name);
    if (TakesValue(*option)) {
      if (equals != std::string::npos && equals + 1 == word.size())
        return "option " + Quoted(name) + " was given an empty value";
      if (equals == std::string::npos) {
        if (i + 1 == arguments.size())
          return "option " + Quoted(name) + " needs a value";
        const std::string& next = arguments[i + 1];
        if (next.size() > 1 && next[0] == '-')
          return "option " + Quoted(name) + " needs a value, not the option " + Quoted(next);
        if (next.empty())
          return "option " + Quoted(name) + " was given an empty value";
        ++i;
      }
    } else if (equals != std::string::npos) {
      return "option " + Quoted(name) + " takes no value";
    }
    if (++given[option] == 2)
      return "option " + Quoted(name) + " was given twice";
  }
  if (!command)
    return "no command given: " + CommandList(app);
  return std::nullopt;
}

std::string UsageMessage(const CLI::ParseError& error) {
  const std::string what = error.what();
  // "--output is required", "--start: '1CD8OO' is not an address: ...".
  const std::size_t colon = what.find(": ");
  if (dynamic_cast<const CLI::RequiredError*>(&error) && what.starts_with("--"))
    return "option " + Quoted(what.substr(0, what.find(' '))) + " is required";
  if (dynamic_cast<const CLI::ValidationError*>(&error) && what.starts_with("--") &&
      colon != std::string::npos)
    return "option " + Quoted(what.substr(0, colon)) + ": " + what.substr(colon + 2);
  return "the command line is not one zarneth-cli takes";
}

}  // namespace zarneth::cli

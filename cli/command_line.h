#pragma once

// The command line, read once, left to right, against the commands' option table (CLI11's
// App, which also writes the help): what it asks for, each option's value checked by the
// option's own check and stored where the option says, or its mistake in plain words, GNU
// style, naming the word at fault ("unrecognized option '--out'", "unknown command
// 'frobnicate'", an option given twice, with an empty value, or that would take the next
// option as its value, a required option missing).

#include <CLI/CLI.hpp>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zarneth::cli {

struct CommandLine {
  enum class Asks { Run, Help, Version };
  Asks asks = Asks::Run;
  // The command named, empty where none is; for Help, the one whose help is asked (empty:
  // the tool's).
  std::string command;
  // What is wrong with the command line; none where it asks for something.
  std::optional<std::string> mistake;
};

// Reads `arguments` (after the program's name) for `app`. `addOptions` adds a command's own
// options to it once the command is named: only that command's are ever built.
CommandLine ReadCommandLine(CLI::App& app, const std::vector<std::string>& arguments,
                            const std::function<void(CLI::App& command)>& addOptions);

}  // namespace zarneth::cli

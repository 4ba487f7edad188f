#pragma once

// The command line's mistakes in plain words, GNU style, before and instead of the parser
// library's own: the word at fault named ("unrecognized option '--out'", "unknown command
// 'frobnicate'"), an option given twice or with an empty value, an option that would take
// the next option as its value.

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <vector>

namespace zarneth::cli {

// What is wrong with `arguments` (after the program's name, in order) for `app` and its
// commands; none when the parser may take them.
std::optional<std::string> UsageMistake(const CLI::App& app,
                                        const std::vector<std::string>& arguments);

// A refusal of the parser itself (a missing option, a value its check refused) in the same
// words.
std::string UsageMessage(const CLI::ParseError& error);

}  // namespace zarneth::cli

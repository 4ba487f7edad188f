#pragma once

#include <CLI/CLI.hpp>

#include <cstddef>
#include <memory>
#include <string>

namespace zarneth::cli {

// The help footer of `command` (empty: the tool's own), `columns` wide: the address rule
// where the command takes addresses, and the exit codes that command gives, with the
// interrupts that stop a run where it opens files.
std::string HelpFooter(const std::string& command, std::size_t columns);

// CLI11's help layout with every option's description wrapped to `columns`, continued
// under its own column.
std::shared_ptr<CLI::Formatter> WrappingFormatter(std::size_t columns);

}  // namespace zarneth::cli

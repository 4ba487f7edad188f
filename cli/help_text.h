#pragma once

#include <CLI/CLI.hpp>

#include <cstddef>
#include <memory>
#include <span>
#include <string>

#include "exit_codes.h"

namespace zarneth::cli {

// What a command's help says below its options, in this order.
struct Footer {
  const char* addresses;  // what must lie inside the image; none without addresses
  std::span<const CodeMeaning> codes;
  const char* codesLead;  // "Exit codes:", "verify exits"
  bool stoppable;         // it opens files, so an interrupt stops it
};
// The tool's own, below the list of commands.
extern const Footer kToolFooter;

// `footer`, `columns` wide: the address rule where the command takes addresses, and the
// exit codes it gives, with the interrupts that stop a run where it opens files.
std::string HelpFooter(const Footer& footer, std::size_t columns);

// CLI11's help layout with every option's description wrapped to `columns`, continued
// under its own column.
std::shared_ptr<CLI::Formatter> WrappingFormatter(std::size_t columns);

}  // namespace zarneth::cli

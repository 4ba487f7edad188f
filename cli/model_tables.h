#pragma once

// The model tables zarneth-cli reads before its options: the built-in four, the user's own
// table where there is one, then each --models FILE of the command line in order.

#include <optional>
#include <string>
#include <vector>

namespace zarneth::cli {

// Reads and merges the tables that `arguments` name (--models FILE, --models=FILE, before or
// after the command) after the built-in four and the user's own, and puts the result in
// force; why not, in one sentence, where a table is refused (nothing is then in force but
// the built-in four).
std::optional<std::string> UseModelTables(const std::vector<std::string>& arguments);

}  // namespace zarneth::cli

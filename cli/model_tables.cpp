#include "model_tables.h"

#include "model_table.h"
#include "quoted_name.h"
#include "words.h"

namespace zarneth::cli {
namespace {

// The tables named on the command line, in order.
std::vector<std::string> TablesGiven(const std::vector<std::string>& arguments) {
  std::vector<std::string> tables;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    if (word == "--models" && i + 1 < arguments.size())
      tables.push_back(arguments[++i]);
    else if (word.starts_with("--models="))
      tables.push_back(word.substr(9));
  }
  return tables;
}

}  // namespace

std::optional<std::string> UseModelTables(const std::vector<std::string>& arguments) {
  return zarneth::UseModelTables(TablesGiven(arguments));
}

}  // namespace zarneth::cli

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
  std::vector<std::string> tables;
  // The user's own table first, where there is one; a missing one is a table without entries.
  const std::string own = UserModelTablePath();
  if (!own.empty())
    tables.push_back(own);
  for (const std::string& given : TablesGiven(arguments))
    tables.push_back(given);
  std::vector<ModelEntry> models = BuiltInModels();
  for (const std::string& table : tables) {
    auto read = ReadModelTable(table, !own.empty() && &table == &tables.front());
    if (const auto* refused = std::get_if<std::string>(&read))
      return *refused;
    if (auto merged = MergeModels(models, std::get<std::vector<ModelEntry>>(read)))
      return merged;
  }
  UseModels(std::move(models));
  return std::nullopt;
}

}  // namespace zarneth::cli

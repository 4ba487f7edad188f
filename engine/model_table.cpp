#include "model_table.h"

#define TOML_HEADER_ONLY 1
#define TOML_ENABLE_FORMATTERS 0
#include <toml++/toml.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "c_file.h"
#include "file_system.h"
#include "hex_address.h"
#include "model_presets.h"
#include "quoted_name.h"
#include "words.h"

namespace zarneth {
namespace {

// A table is a few hundred bytes a version: a megabyte is thousands of versions.
constexpr std::uint64_t kLargestTable = 1u << 20;

const std::set<std::string>& KeysOfAModel() {
  static const std::set<std::string> keys{"name",    "start", "end", "size",
                                          "outside", "stock", "note"};
  return keys;
}

}  // namespace

bool IsModelName(const std::string& name) {
  return !name.empty() && name.size() <= 32 && std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_';
  });
}

namespace {

// The bytes of `hex` (2 digits a byte) into `out`; false for anything else.
template <std::size_t N>
bool HexBytes(std::string_view hex, std::array<unsigned char, N>& out) {
  if (hex.size() != 2 * N)
    return false;
  for (std::size_t i = 0; i < N; ++i) {
    unsigned value = 0;
    for (const char c : hex.substr(2 * i, 2)) {
      const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                        : (c >= 'a' && c <= 'f')                    ? c - 'a' + 10
                        : (c >= 'A' && c <= 'F')                    ? c - 'A' + 10
                                                                    : -1;
      if (digit < 0)
        return false;
      value = value * 16 + static_cast<unsigned>(digit);
    }
    out[i] = static_cast<unsigned char>(value);
  }
  return true;
}

std::string LineOf(const toml::node& node) {
  return std::to_string(node.source().begin.line);
}

// One [[model]] entry, or why it is refused (without the file's name).
std::variant<ModelEntry, std::string> EntryOf(const toml::table& entry) {
  const std::string line = std::to_string(entry.source().begin.line);
  for (const auto& [key, value] : entry)
    if (!KeysOfAModel().contains(std::string(key.str())))
      return TrFill(
          // TRANSLATORS: %1$s is a line number, %2$s a key of the table's file; the keys stay
          // English.
          "line %s: unknown key %s (a model has name, start, end, size, outside, "
          "stock and note)",
          {LineOf(value), QuotedName(std::string(key.str()))});
  ModelEntry model;
  const auto name = entry["name"].value<std::string>();
  if (!name || !IsModelName(*name))
    return TrFill("line %s: a model's name is 1 to 32 letters, digits, '.', '-' or '_'", {line});
  model.name = *name;
  for (const auto& [key, address] : {std::pair{"start", &model.start}, {"end", &model.end}}) {
    const auto text = entry[key].value<std::string>();
    const auto parsed = text ? ParseHexAddress(*text) : std::nullopt;
    if (!parsed)
      return TrFill(
          // TRANSLATORS: %1$s is a line number, %2$s a model's name, %3$s a key ("start", "end").
          "line %s: model %s needs its %s as a hex address of at most 8 digits, in "
          "quotes (\"1C7A00\")",
          {line, model.name, key});
    *address = *parsed;
  }
  if (model.end < model.start)
    // TRANSLATORS: %1$s is a line number, %2$s a model's name, %3$s and %4$s addresses.
    return TrFill("line %s: model %s ends at %s, before its start %s",
                  {line, model.name, HexText(model.end), HexText(model.start)});
  const auto size = entry["size"].value<std::int64_t>();
  const auto outside = entry["outside"].value<std::string>();
  const auto stock = entry["stock"].value<std::string>();
  const int given = (entry.contains("size") ? 1 : 0) + (entry.contains("outside") ? 1 : 0) +
                    (entry.contains("stock") ? 1 : 0);
  if (given == 3) {
    ModelFingerprint fingerprint;
    std::array<unsigned char, 4> crc{};
    if (!size || *size <= 0 || !outside || !outside->starts_with("sha256:") ||
        !HexBytes(std::string_view(*outside).substr(7), fingerprint.outside) || !stock ||
        !stock->starts_with("crc32:") || !HexBytes(std::string_view(*stock).substr(6), crc))
      return TrFill(
          // TRANSLATORS: %1$s is a line number, %2$s a model's name; the keys stay English.
          "line %s: model %s has a fingerprint that is no fingerprint (size a "
          "number of bytes, outside \"sha256:\" and 64 hex digits, stock \"crc32:\" "
          "and 8)",
          {line, model.name});
    fingerprint.size = static_cast<std::uint64_t>(*size);
    fingerprint.stock =
        static_cast<std::uint32_t>(crc[0]) << 24 | crc[1] << 16 | crc[2] << 8 | crc[3];
    model.fingerprint = fingerprint;
  } else if (given != 0) {
    return TrFill(
        // TRANSLATORS: %1$s is a line number, %2$s a model's name; the keys stay English.
        "line %s: model %s gives part of a fingerprint: size, outside and stock go "
        "together",
        {line, model.name});
  }
  if (entry.contains("note")) {
    const auto note = entry["note"].value<std::string>();
    if (!note)
      // TRANSLATORS: %1$s is a line number, %2$s a model's name.
      return TrFill("line %s: model %s has a note that is no text", {line, model.name});
    model.note = *note;
  }
  return model;
}

}  // namespace

std::vector<ModelEntry> BuiltInModels() {
  std::vector<ModelEntry> models;
  for (const ModelPreset& preset : kModelPresets)
    models.push_back({std::string(preset.model), preset.start, preset.end, {}, {}, "built-in"});
  return models;
}

std::variant<std::vector<ModelEntry>, std::string> ReadModelTable(const std::string& path,
                                                                  bool missingIsEmpty) {
  const std::string table = QuotedName(path);
  CFile file;
  const FileStatus opened = file.Open(path, CFile::modeRead);
  if (!opened && missingIsEmpty && IsMissing(opened))
    return std::vector<ModelEntry>{};
  if (!opened)
    // TRANSLATORS: %1$s is the table's file, %2$s why.
    return TrFill("cannot read the model table %s: %s", {table, opened.Why().Words()});
  // Trusted as ssh trusts its configuration: the caller's own, written by nobody else.
  if (!file.IsOwnedByCaller())
    return TrFill(
        "the model table %s belongs to another user: a run takes addresses only "
        "from its own tables",
        {table});
  if (file.MayBeWrittenByOthers())
    return TrFill(
        "the model table %s may be written by others (its group or everyone): "
        "make it yours alone (chmod go-w)",
        {table});
  if (file.GetLength() > kLargestTable)
    return TrFill("the model table %s is larger than 1 MiB: it is no table of models", {table});
  std::string text(static_cast<std::size_t>(file.GetLength()) + 1, '\0');
  const std::uint32_t got = file.ReadAt(0, text.data(), static_cast<std::uint32_t>(text.size()));
  if (got > kLargestTable)
    return TrFill("the model table %s is larger than 1 MiB: it is no table of models", {table});
  text.resize(got);
  toml::table document;
  try {
    document = toml::parse(text, path);
  } catch (const toml::parse_error& error) {
    // TRANSLATORS: %1$s is the table's file, %2$s and %3$s numbers, %4$s why.
    return TrFill("the model table %s cannot be read at line %s, column %s: %s",
                  {table, std::to_string(error.source().begin.line),
                   std::to_string(error.source().begin.column), std::string(error.description())});
  }
  std::vector<ModelEntry> models;
  for (const auto& [key, value] : document) {
    if (key.str() != "model" || !value.is_array_of_tables())
      return TrFill(
          // TRANSLATORS: %1$s is the table's file, %2$s a line number, %3$s a key.
          "the model table %s, line %s: unknown key %s (a table holds [[model]] "
          "entries)",
          {table, LineOf(value), QuotedName(std::string(key.str()))});
    for (const toml::node& node : *value.as_array()) {
      auto entry = EntryOf(*node.as_table());
      if (auto* refused = std::get_if<std::string>(&entry))
        // TRANSLATORS: %1$s is the table's file, %2$s a refusal that begins with a line ("line 4:
        // ...").
        return TrFill("the model table %s, %s", {table, *refused});
      ModelEntry model = std::get<ModelEntry>(std::move(entry));
      model.from = path;
      for (const ModelEntry& earlier : models)
        if (ModelNamesMatch(earlier.name, model.name))
          // TRANSLATORS: %1$s is the table's file, %2$s a model's name.
          return TrFill("the model table %s names %s twice", {table, model.name});
      models.push_back(std::move(model));
    }
  }
  return models;
}

std::optional<std::string> MergeModels(std::vector<ModelEntry>& models,
                                       const std::vector<ModelEntry>& more) {
  for (const ModelEntry& added : more) {
    const auto same = std::find_if(models.begin(), models.end(), [&](const ModelEntry& model) {
      return ModelNamesMatch(model.name, added.name);
    });
    if (same == models.end()) {
      models.push_back(added);
      continue;
    }
    if (same->start != added.start || same->end != added.end)
      // TRANSLATORS: %1$s is a model's name, %2$s, %3$s, %5$s and %6$s addresses, %4$s and %7$s
      // tables' files.
      return TrFill("model %s stands at %s to %s in %s but at %s to %s in %s: one name, one place",
                    {added.name, HexText(same->start), HexText(same->end),
                     same->from == "built-in" ? Tr("the built-in table") : QuotedName(same->from),
                     HexText(added.start), HexText(added.end), QuotedName(added.from)});
    if (!same->fingerprint)
      same->fingerprint = added.fingerprint;
    if (same->note.empty())
      same->note = added.note;
  }
  return std::nullopt;
}

std::string UserModelTablePath() {
#ifdef _WIN32
  const char* appData = std::getenv("APPDATA");
  return appData && *appData ? std::string(appData) + "\\Zarneth\\models.toml" : std::string();
#else
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && *config == '/')
    return std::string(config) + "/zarneth/models.toml";
  const char* home = std::getenv("HOME");
  return home && *home ? std::string(home) + "/.config/zarneth/models.toml" : std::string();
#endif
}

std::string WithTableFolder(const std::string& path) {
  if (!path.empty()) {
    std::error_code error;  // a folder that cannot be made fails the change, which says why
    std::filesystem::create_directories(
        std::filesystem::path(std::u8string(path.begin(), path.end())).parent_path(), error);
  }
  return path;
}

namespace {
std::vector<ModelEntry>& Registry() {
  static std::vector<ModelEntry> models = BuiltInModels();
  return models;
}
}  // namespace

const std::vector<ModelEntry>& KnownModels() {
  return Registry();
}

void UseModels(std::vector<ModelEntry> models) {
  Registry() = std::move(models);
}

std::optional<std::string> UseModelTables(const std::vector<std::string>& given) {
  // The user's own table first, where there is one; a missing one is a table without entries.
  std::vector<std::string> tables;
  const std::string own = UserModelTablePath();
  if (!own.empty())
    tables.push_back(own);
  tables.insert(tables.end(), given.begin(), given.end());
  std::vector<ModelEntry> models = BuiltInModels();
  for (std::size_t i = 0; i < tables.size(); ++i) {
    auto read = ReadModelTable(tables[i], !own.empty() && i == 0);
    std::optional<std::string> refused;
    if (const auto* reason = std::get_if<std::string>(&read))
      refused = *reason;
    else
      refused = MergeModels(models, std::get<std::vector<ModelEntry>>(read));
    if (refused) {
      UseModels(BuiltInModels());
      return refused;
    }
  }
  UseModels(std::move(models));
  return std::nullopt;
}

}  // namespace zarneth

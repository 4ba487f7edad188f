// Adding a version to a model table and taking one out: the file is read and written under
// the save's exclusive lock, every other line kept as it was (comments included), the new
// content checked as a table before it replaces the old, all or nothing.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <span>
#include <thread>
#include <variant>

#define TOML_HEADER_ONLY 1
#define TOML_ENABLE_FORMATTERS 0
#include <toml++/toml.h>

#include "file_exception.h"
#include "file_system.h"
#include "hex_address.h"
#include "model_table.h"
#include "operations.h"
#include "quoted_name.h"
#include "run_files.h"
#include "save_file.h"
#include "words.h"

namespace zarneth {
namespace {

// How long a change waits for another that holds the table: twenty at once all land.
constexpr int kAttempts = 400;
constexpr auto kPause = std::chrono::milliseconds(25);
// A change that failed before its rename is made again this often, then given up.
constexpr int kFailuresRetried = 20;

std::string HexOf(std::span<const unsigned char> bytes) {
  static const char* const kDigits = "0123456789abcdef";
  std::string text;
  for (const unsigned char b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

std::string EntryText(const ModelEntry& entry) {
  std::string text = "\n[[model]]\nname = \"" + entry.name + "\"\nstart = \"" +
                     FormatHexAddress(entry.start) + "\"\nend = \"" + FormatHexAddress(entry.end) +
                     "\"\n";
  if (entry.fingerprint) {
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08X", static_cast<unsigned>(entry.fingerprint->stock));
    text += "size = " + std::to_string(entry.fingerprint->size) +
            "\noutside = \"sha256:" + HexOf(entry.fingerprint->outside) +
            "\"\nstock = \"crc32:" + crc + "\"\n";
  }
  if (!entry.note.empty()) {
    std::string quoted;
    for (const char c : entry.note) {
      if (c == '"' || c == '\\')
        quoted += '\\';
      quoted += c == '\n' ? ' ' : c;
    }
    text += "note = \"" + quoted + "\"\n";
  }
  return text;
}

// The lines of the entry named `name` in `text` (from its [[model]] line up to the next
// table's header or the end), as [first, last) line numbers from 1; none where it is absent.
std::optional<std::pair<std::size_t, std::size_t>> LinesOf(const std::string& text,
                                                           const std::string& name) {
  toml::table document;
  try {
    document = toml::parse(text);
  } catch (const toml::parse_error&) {
    return std::nullopt;
  }
  const toml::array* models = document["model"].as_array();
  if (!models)
    return std::nullopt;
  std::vector<std::size_t> starts;
  std::optional<std::size_t> found;
  for (const toml::node& node : *models) {
    const toml::table& entry = *node.as_table();
    starts.push_back(entry.source().begin.line);
    const auto entryName = entry["name"].value<std::string>();
    if (entryName && ModelNamesMatch(*entryName, name))
      found = starts.size() - 1;
  }
  if (!found)
    return std::nullopt;
  // The next entry's header starts the next table; anything between is this entry's.
  std::size_t last = 1;
  for (const char c : text)
    last += c == '\n';
  const std::size_t first = starts[*found];
  std::size_t next = *found + 1 < starts.size() ? starts[*found + 1] : last + 1;
  return std::pair{first, next};
}

// Runs `change(old text) -> new text or refusal` on the table at `path` under the save's
// lock, retried while another change holds it; a table that does not exist yet is made.
RunStatus ChangeTable(
    const std::string& path,
    const std::function<std::variant<std::string, RunStatus>(std::string)>& change) {
  const std::string table = QuotedName(path);
  int failures = 0;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    auto save = std::make_unique<SaveFile>();
    FileStatus prepared = save->Prepare(path, SaveFile::Use::InPlace);
    const bool creates = !prepared && IsMissing(prepared);
    if (creates) {
      save = std::make_unique<SaveFile>();
      prepared = save->Prepare(path, SaveFile::Use::NewNameOnly);
    }
    if (!prepared) {
      if (prepared.Why().kind == FileRefusal::Kind::InUse ||
          prepared.Why().kind == FileRefusal::Kind::Exists) {
        std::this_thread::sleep_for(kPause);
        continue;
      }
      // TRANSLATORS: %1$s is the table's file, %2$s why.
      return Refused(Refusal::CannotWrite, TrFill("cannot change the model table %s: %s",
                                                  {table, prepared.Why().Words()}));
    }
    std::string old;
    if (CFile* existing = save->Existing()) {
      old.resize(static_cast<std::size_t>(existing->GetLength()));
      old.resize(existing->ReadAt(0, old.data(), static_cast<std::uint32_t>(old.size())));
    }
    auto changed = change(old);
    if (auto* refused = std::get_if<RunStatus>(&changed))
      return *refused;
    const std::string& text = std::get<std::string>(changed);
    if (const FileStatus begun = save->Begin(); !begun)
      // TRANSLATORS: %1$s is the table's file, %2$s why.
      return Refused(Refusal::CannotWrite,
                     TrFill("cannot change the model table %s: %s", {table, begun.Why().Words()}));
    try {
      save->File().WriteAt(0, text.data(), static_cast<std::uint32_t>(text.size()));
      static_cast<void>(save->Commit());
    } catch (const CFileException&) {
      // Nothing was renamed: the table is as it was. Another change may have made or taken
      // it meanwhile (Windows lets go of the old file just before the rename): read it again.
      if (++failures < kFailuresRetried) {
        std::this_thread::sleep_for(kPause);
        continue;
      }
      throw;
    }
    return RunStatus::Done();
  }
  return Refused(Refusal::CannotWrite,
                 TrFill("the model table %s stayed held by another change", {table}));
}

}  // namespace

bool ModelNamesMatch(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

RunStatus AddToModelTable(const std::string& path, const ModelEntry& entry) {
  return ChangeTable(path, [&](std::string text) -> std::variant<std::string, RunStatus> {
    if (LinesOf(text, entry.name))
      // TRANSLATORS: %1$s is the table's file, %2$s a model's name.
      return Refused(Refusal::NotUnique, TrFill("the model table %s has a model %s already",
                                                {QuotedName(path), entry.name}));
    if (!text.empty() && text.back() != '\n')
      text += '\n';
    return text + EntryText(entry);
  });
}

RunStatus RemoveFromModelTable(const std::string& path, const std::string& name) {
  return ChangeTable(path, [&](const std::string& text) -> std::variant<std::string, RunStatus> {
    const auto lines = LinesOf(text, name);
    if (!lines)
      return Refused(Refusal::NotFound,
                     // TRANSLATORS: %1$s is the table's file, %2$s a model's name.
                     TrFill("the model table %s has no model %s", {QuotedName(path), name}));
    std::string kept;
    std::size_t line = 1;
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = std::min(text.find('\n', at), text.size() - 1) + 1;
      if (line < lines->first || line >= lines->second)
        kept += text.substr(at, end - at);
      at = end;
      ++line;
    }
    return kept;
  });
}

}  // namespace zarneth

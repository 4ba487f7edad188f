#pragma once

// The firmware versions a run knows: the four built in, then those of tables users keep and
// share (TOML: a [[model]] per version, with its block's addresses and, optionally, the
// fingerprint of an image of that version). One name, one place: a name in two tables with
// other addresses is refused; with the same addresses the entries merge, which is how a
// table gives a built-in version a fingerprint.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace zarneth {

// What an image of a version is: its length, the SHA-256 of its bytes with the block's left
// out (so that a patched image is still its version), and the CRC-32 of the block as the
// image held it when the version was added.
struct ModelFingerprint {
  std::uint64_t size = 0;
  std::array<unsigned char, 32> outside{};
  std::uint32_t stock = 0;
  bool operator==(const ModelFingerprint&) const = default;
};

struct ModelEntry {
  std::string name;
  std::uint32_t start = 0;
  std::uint32_t end = 0;  // inclusive
  std::optional<ModelFingerprint> fingerprint;
  std::string note;
  std::string from;  // "built-in", or the path of the table it came from
};

// The four versions built in.
std::vector<ModelEntry> BuiltInModels();

// Reads the table at `path`: its entries in order, or why it is refused, in one sentence
// naming the file (and the line where there is one): a file another user owns or that others
// may write, one over 1 MiB, text that is not UTF-8 or not TOML, an unknown key, a bad name
// or address, an end before its start, a partial fingerprint.
// With `missingIsEmpty` (the user's own table), a file that is not there is a table without
// entries.
std::variant<std::vector<ModelEntry>, std::string> ReadModelTable(const std::string& path,
                                                                  bool missingIsEmpty = false);

// Adds `more` to `models`: a new name at the end, the same name with the same addresses
// merged (a fingerprint or a note it lacks taken over); none where a name comes with other
// addresses, which is the refusal naming both tables.
std::optional<std::string> MergeModels(std::vector<ModelEntry>& models,
                                       const std::vector<ModelEntry>& more);

// The user's own table: $XDG_CONFIG_HOME/zarneth/models.toml, else
// ~/.config/zarneth/models.toml (Windows: %APPDATA%\Zarneth\models.toml); empty where
// neither can be told.
std::string UserModelTablePath();
// Before a change to the table at `path` (the user's own, whose folder may not be there
// yet): makes its folder where it is missing, and returns `path`.
std::string WithTableFolder(const std::string& path);

// Whether `name` may name a version: 1 to 32 letters, digits, '.', '-' or '_'.
bool IsModelName(const std::string& name);
// Whether two model names are one, in any letter case.
bool ModelNamesMatch(const std::string& a, const std::string& b);

// The versions in force for this process (the built-in four until set), in order.
const std::vector<ModelEntry>& KnownModels();
void UseModels(std::vector<ModelEntry> models);

// Reads and merges the built-in four, the user's own table where there is one, then each of
// `given` in order, and puts the result in force; why not, in one sentence, where a table is
// refused (nothing is then in force but the built-in four).
std::optional<std::string> UseModelTables(const std::vector<std::string>& given = {});

}  // namespace zarneth

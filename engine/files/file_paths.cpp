#include "file_paths.h"

#include <algorithm>
#include <random>
#include <string_view>

namespace zarneth {
namespace {

constexpr const char* kTemporaryMark = ".zarneth-";
constexpr const char* kTemporarySuffix = ".tmp";
constexpr std::size_t kUniqueLength = 6;
constexpr std::string_view kUniqueAlphabet = "abcdefghijklmnopqrstuvwxyz0123456789";

// Six characters drawn at random from kUniqueAlphabet.
std::string UniqueText() {
  static std::mt19937_64 generator{std::random_device{}()};
  std::string text(kUniqueLength, 'a');
  for (char& c : text)
    c = kUniqueAlphabet[generator() % kUniqueAlphabet.size()];
  return text;
}

}  // namespace

// std::filesystem knows the system's separators and roots ("/", "C:\\").
std::string FolderOf(const std::string& path) {
  const std::filesystem::path folder = PathFromUtf8(path).parent_path();
  return folder.empty() ? "." : Utf8FromPath(folder);
}

std::string NameOf(const std::string& path) {
  return Utf8FromPath(PathFromUtf8(path).filename());
}

namespace {

// The part of a temporary's name that comes from the final name: "." and the final name,
// cut (at a whole UTF-8 character) so that the temporary's whole name keeps within the
// 255 bytes every file system allows a name.
std::string TemporaryStem(const std::string& finalName) {
  const std::size_t added = std::string_view(kTemporaryMark).size() + kUniqueLength +
                            std::string_view(kTemporarySuffix).size();
  std::size_t length = std::min(finalName.size(), kMaxNameBytes - 1 - added);
  while (length > 0 && length < finalName.size() &&
         (static_cast<unsigned char>(finalName[length]) & 0xC0) == 0x80)
    --length;  // not inside a character
  std::string stem = ".";
  stem += finalName.substr(0, length);
  return stem;
}

}  // namespace

std::string TemporaryNameFor(const std::string& finalName) {
  // Built with +=: g++ 12 sees overlapping copies in "." + std::string that cannot happen
  // (GCC bug 105329).
  std::string name = TemporaryStem(finalName);
  name += kTemporaryMark;
  name += UniqueText();
  name += kTemporarySuffix;
  return name;
}

bool IsTemporaryNameOf(const std::string& name, const std::string& finalName) {
  std::string prefix = TemporaryStem(finalName);
  prefix += kTemporaryMark;
  const std::string_view suffix = kTemporarySuffix;
  if (name.size() != prefix.size() + kUniqueLength + suffix.size() || !name.starts_with(prefix) ||
      !name.ends_with(suffix))
    return false;
  const std::string_view unique = std::string_view(name).substr(prefix.size(), kUniqueLength);
  return unique.find_first_not_of(kUniqueAlphabet) == std::string_view::npos;
}

std::filesystem::path PathFromUtf8(const std::string& path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace zarneth

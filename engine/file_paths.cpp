#include "file_paths.h"

#include "file_system.h"

namespace zarneth {
namespace {

constexpr const char* kJournalSuffix = ".zarneth-journal";
constexpr const char* kTemporaryMark = ".zarneth-";
constexpr const char* kTemporarySuffix = ".tmp";
constexpr std::size_t kUniqueLength = 6;

#ifdef _WIN32
constexpr const char* kSeparators = "\\/";
#else
constexpr const char* kSeparators = "/";
#endif

}  // namespace

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of(kSeparators);
  if (slash == std::string::npos)
    return ".";
  if (slash == 0)
    return path.substr(0, 1);
#ifdef _WIN32
  if (slash == 2 && path[1] == ':')
    return path.substr(0, 3);  // the root of a drive, "C:\"
#endif
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.find_last_of(kSeparators);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JournalPathFor(const std::string& imagePath) {
  const std::string image = FinalPath(imagePath, nullptr).value_or(imagePath);
  return Utf8FromPath(PathFromUtf8(FolderOf(image)) /
                      PathFromUtf8("." + NameOf(image) + kJournalSuffix));
}

bool IsTemporaryName(const std::string& name) {
  const std::string mark = kTemporaryMark;
  const std::string suffix = kTemporarySuffix;
  const std::size_t tail = mark.size() + kUniqueLength + suffix.size();
  return name.size() > tail + 1 && name[0] == '.' &&
         name.compare(name.size() - tail, mark.size(), mark) == 0 &&
         name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string TemporaryName(const std::string& finalPath, const std::string& unique) {
  return Utf8FromPath(PathFromUtf8(FolderOf(finalPath)) /
                      PathFromUtf8("." + NameOf(finalPath) + kTemporaryMark +
                                   unique.substr(0, kUniqueLength) + kTemporarySuffix));
}

std::filesystem::path PathFromUtf8(const std::string& path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace zarneth

#include "platform_files.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "c_file.h"

namespace zarneth::test {

const char* const kDevicePath = "/dev/null";

bool MakeFifo(const std::string& path) {
  return ::mkfifo(path.c_str(), 0644) == 0;
}

bool MakeSymlink(const std::string& target, const std::string& link) {
  std::error_code error;
  std::filesystem::create_symlink(target, link, error);
  return !error;
}

void MakeReadOnly(const std::string& path) {
  ::chmod(path.c_str(), 0444);
}

std::string MissingFileText() {
  return SystemErrorText(ENOENT);
}

std::string MissingFolderText() {
  return SystemErrorText(ENOENT);
}

std::string FileExistsText() {
  return SystemErrorText(EEXIST);
}

}  // namespace zarneth::test

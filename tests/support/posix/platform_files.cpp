#include "platform_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>

#include "c_file.h"

namespace zarneth::test {

const char* const kDevicePath = "/dev/null";

bool MakeSymlink(const std::string& target, const std::string& link) {
  std::error_code error;
  std::filesystem::create_symlink(target, link, error);
  return !error;
}

bool MakeFifoAndDanglingLink(const std::string& folder) {
  return ::mkfifo((folder + "/fifo").c_str(), 0644) == 0 &&
         MakeSymlink(folder + "/gone.bin", folder + "/dangling");
}

void MakeReadOnly(const std::string& path) {
  ::chmod(path.c_str(), 0444);
}

void GiveUnusualAccess(const std::string& path) {
  ::chmod(path.c_str(), 0640);
  // Only root may give a file away.
  if (::geteuid() == 0 && ::chown(path.c_str(), 1234, 5678) != 0)
    throw std::runtime_error("cannot give " + path + " away");
}

std::string AccessOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0)
    return "none";
  return "mode " + std::to_string(info.st_mode & 07777) + ", owner " + std::to_string(info.st_uid) +
         ":" + std::to_string(info.st_gid);
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

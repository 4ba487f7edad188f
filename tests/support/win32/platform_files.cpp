#include "platform_files.h"

#include <windows.h>

#include "c_file.h"
#include "wide_text.h"

namespace zarneth::test {

const char* const kDevicePath = "NUL";

std::vector<std::string> DevicePaths(const std::string& folder) {
  return {"NUL", "CON", "aux", folder + "\\PRN", folder + "\\com1.txt", "LPT1.bin"};
}

// Symbolic links need a right most users lack (or developer mode), and Wine's links do not
// open as Windows' do: the tests of links are POSIX's.
bool MakeSymlink(const std::string&, const std::string&) {
  return false;
}

// Windows has no FIFOs.
bool MakeFifoAndDanglingLink(const std::string&) {
  return false;
}

void MakeReadOnly(const std::string& path) {
  const std::wstring wide = WideFromUtf8(path);
  ::SetFileAttributesW(wide.c_str(), ::GetFileAttributesW(wide.c_str()) | FILE_ATTRIBUTE_READONLY);
}

void GiveUnusualAccess(const std::string& path) {
  ::SetFileAttributesW(WideFromUtf8(path).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
}

std::string AccessOf(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(WideFromUtf8(path).c_str());
  return "attributes " + std::to_string(attributes);
}

// Files belong to security principals, and giving one away needs a right tests lack.
bool GiveToAnotherUser(const std::string&) {
  return false;
}

// Set-group-ID folders, file capabilities and a change of user have no counterpart here.
bool MakeInheritingFolder(const std::string&) {
  return false;
}
bool GiveCapability(const std::string&) {
  return false;
}
std::optional<int> RunAsAnotherUser(const std::function<int()>&) {
  return std::nullopt;
}
std::optional<int> RunWithoutProc(const std::function<int()>&) {
  return std::nullopt;
}

// The sticky folders of POSIX have no counterpart.
bool MakeSharedFolder(const std::string&) {
  return false;
}

// Windows limits no file's size by process.
ScopedFileSizeLimit::ScopedFileSizeLimit(std::uint64_t) {}
ScopedFileSizeLimit::~ScopedFileSizeLimit() = default;

bool PermissionsWithin(const std::string&, unsigned) {
  return true;
}

ScopedSmallDisk::ScopedSmallDisk(const std::string& at)
    : m_at(at), m_reason("no small disk to mount here (a tmpfs is Linux's)") {}
ScopedSmallDisk::~ScopedSmallDisk() = default;

ScopedFatDisk::ScopedFatDisk(const std::string& at)
    : m_at(at), m_reason("no FAT file system to mount here (fusefat is Linux's)") {}
ScopedFatDisk::~ScopedFatDisk() = default;

std::string MissingFileText() {
  return SystemErrorText(ERROR_FILE_NOT_FOUND);
}

std::string MissingFolderText() {
  return SystemErrorText(ERROR_PATH_NOT_FOUND);
}

std::string FileExistsText() {
  return SystemErrorText(ERROR_FILE_EXISTS);
}

}  // namespace zarneth::test

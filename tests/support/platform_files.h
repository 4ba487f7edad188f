#pragma once

// What a test folder can hold on this platform and the words the system uses for it, so
// that one set of tests runs on POSIX and on Windows.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zarneth::test {

// Makes a symbolic link; false where links are not tested (Windows).
bool MakeSymlink(const std::string& target, const std::string& link);
// Makes "fifo" (a FIFO) and "dangling" (a link to "gone.bin", which does not exist) in
// `folder`; false where the system has no FIFOs or links are not tested (Windows).
bool MakeFifoAndDanglingLink(const std::string& folder);
inline constexpr const char* kNoFifosOrLinks =
    "no FIFOs here, and symbolic links are tested on POSIX only";

// Takes every write bit away (POSIX) or sets the read-only attribute (Windows).
void MakeReadOnly(const std::string& path);

// Gives a file access unlike a new file's: permission bits 0640 and, as root, another owner
// (POSIX); the hidden and archive attributes (Windows). AccessOf describes it, for comparing.
void GiveUnusualAccess(const std::string& path);
std::string AccessOf(const std::string& path);

// Gives the file (or the link itself) to another user, 1234:1234; false unless the system
// lets the caller give files away (POSIX, as root).
bool GiveToAnotherUser(const std::string& path);
// Makes a folder whose new files would take from it what a file of root's does not have:
// set-group-ID with group 5678, and a default access list giving user 4321 everything; false
// unless the caller may (POSIX, as root).
bool MakeInheritingFolder(const std::string& path);
// Gives the file a file capability (security.capability, cap_net_raw); false unless the
// system has them and the caller may set them (POSIX, as root).
bool GiveCapability(const std::string& path);
// Runs `body` in a child process as user and group 1234 and returns its exit code; nothing
// where the caller cannot become another user (POSIX but root, Windows).
std::optional<int> RunAsAnotherUser(const std::function<int()>& body);

// Runs `body` in a child process that sees an empty /proc, as a container or chroot without
// one does, and returns its exit code; nothing where that cannot be arranged (POSIX but
// root, Windows).
std::optional<int> RunWithoutProc(const std::function<int()>& body);

// Makes a folder shared by all as /tmp is: writable by everyone, sticky; false where the
// system has no such folders (Windows).
bool MakeSharedFolder(const std::string& path);

// Limits the size of every file the process writes to `bytes` (ulimit -f) for its
// lifetime; Active() is false where the system has no such limit (Windows).
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(std::uint64_t bytes);
  ~ScopedFileSizeLimit();
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;
  bool Active() const { return m_active; }

 private:
  bool m_active = false;
  std::uint64_t m_saved = 0;
};

// Whether every permission bit of the file is among `allowed` (POSIX); true where files have
// no permission bits (Windows).
bool PermissionsWithin(const std::string& path, unsigned allowed);

// Mounts a file system of 1 MiB (a tmpfs) on the empty folder `at` for its lifetime;
// Reason() says why it could not (not root, or a system without such mounts: Windows).
class ScopedSmallDisk {
 public:
  explicit ScopedSmallDisk(const std::string& at);
  ~ScopedSmallDisk();
  ScopedSmallDisk(const ScopedSmallDisk&) = delete;
  ScopedSmallDisk& operator=(const ScopedSmallDisk&) = delete;
  const std::string& Reason() const { return m_reason; }

 private:
  std::string m_at;
  std::string m_reason;  // empty once mounted
};

// Mounts a 16 MiB FAT file system on the empty folder `at` for its lifetime, as a USB stick
// holds one, through fusefat (a FUSE server, as a user without a kernel mount has it);
// Reason() says why it could not (no fusefat or mkfs.vfat, no FUSE here, Windows).
class ScopedFatDisk {
 public:
  explicit ScopedFatDisk(const std::string& at);
  ~ScopedFatDisk();
  ScopedFatDisk(const ScopedFatDisk&) = delete;
  ScopedFatDisk& operator=(const ScopedFatDisk&) = delete;
  const std::string& Reason() const { return m_reason; }

 private:
  std::string m_at;
  std::string m_image;   // the FAT image, beside the folder
  std::string m_reason;  // empty once mounted
};

// A device that opens like a file: /dev/null, NUL.
extern const char* const kDevicePath;
// Names that lead to devices, some in `folder` (Windows' device names answer in every
// folder, with any extension).
std::vector<std::string> DevicePaths(const std::string& folder);

// The system's texts for a missing file, a missing folder on the way and a name that exists.
std::string MissingFileText();
std::string MissingFolderText();
std::string FileExistsText();

}  // namespace zarneth::test

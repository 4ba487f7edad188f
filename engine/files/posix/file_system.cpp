#include "file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <utility>
#include <vector>

#include "descriptor.h"
#include "file_paths.h"
#include "inode_flags.h"
#include "posix_calls.h"
#include "words.h"

namespace zarneth {

void HeldFolder::Release() noexcept {
  if (IsHeld())
    ::close(static_cast<int>(m_handle));
  m_handle = kNoHandle;
}

namespace {

// The kernel follows no more links than this in one name (ELOOP).
constexpr int kMaxLinks = 40;

int FdOf(const HeldFolder& folder) {
  return static_cast<int>(folder.Handle());
}

// The walk's refusal of what the system said: errno now, or `error`.
FileRefusal SystemRefusal(int error = errno) {
  return {FileRefusal::Kind::System, error, {}};
}

// The kernel's protected-symlink rule (fs.protected_symlinks): a link in a sticky folder
// that everyone may write is followed only by its owner or when the folder's owner owns it.
bool MayFollow(const struct stat& link, const struct stat& folder) {
  const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
  return !shared || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

// Whether the link open as `link` (O_PATH) lies on /proc, whose links (a process's folder, its
// root, its open files) lead where the kernel says rather than where their text says: a
// removed folder's text ends in " (deleted)", and a path of another mount namespace names
// another folder here.
bool IsProcLink(int link) {
  struct statfs info {};
  return ::fstatfs(link, &info) == 0 && info.f_type == PROC_SUPER_MAGIC;
}

// What the link open as `link` (O_PATH) says, read from the link itself.
std::optional<std::string> LinkTarget(int link) {
  std::vector<char> target(256);
  for (;;) {
    const ssize_t n = ::readlinkat(link, "", target.data(), target.size());
    if (n < 0)
      return std::nullopt;
    if (static_cast<std::size_t>(n) < target.size())
      return std::string(target.data(), static_cast<std::size_t>(n));
    target.resize(target.size() * 2);
  }
}

// The components of `path`, in order; "." and empty ones dropped.
std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t at = 0;
  while (at <= path.size()) {
    const std::size_t end = std::min(path.find('/', at), path.size());
    std::string part = path.substr(at, end - at);
    if (!part.empty() && part != ".")
      parts.push_back(std::move(part));
    at = end + 1;
  }
  return parts;
}

std::string Joined(const std::string& folder, const std::string& name) {
  if (folder.empty())
    return name;
  return folder == "/" ? "/" + name : folder + "/" + name;
}

// An O_PATH descriptor: it only names the file, reads and writes nothing, and follows no
// link at its last component (a link opens as itself).
int OpenPath(int folder, const char* name) {
  return ::openat(folder, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
}

// One walk down a path, a component at a time, from a held folder to the next: the folder
// reached so far and its path as messages say it (it holds no link, so ".." by name is its
// parent), the components still to walk (the next at the back) and the links followed.
class PathWalk {
 public:
  PathWalk(const std::string& path, FinalLink finalLink)
      : m_path(path), m_finalLink(finalLink), m_left(Components(path)) {
    std::reverse(m_left.begin(), m_left.end());
    const bool absolute = path.starts_with('/');
    m_folder.Reset(::open(absolute ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    m_resolved = absolute ? "/" : "";
  }

  bool Started() const { return m_folder.Get() >= 0; }
  bool HasMore() const { return !m_left.empty(); }

  // Walks the next component: the walk's end (the entry it names, or a refusal) once there
  // is one, nothing while it goes on.
  std::optional<FileResult<HeldEntry>> Step() {
    const std::string part = m_left.back();
    m_left.pop_back();
    const bool last = m_left.empty();
    if (part == "..") {
      if (const FileStatus up = StepUp(); !up)
        return up.Why();
      return last ? std::optional<FileResult<HeldEntry>>(Itself()) : std::nullopt;
    }
    Descriptor entry(OpenPath(m_folder.Get(), part.c_str()));
    struct stat info {};
    if (entry.Get() < 0 || ::fstat(entry.Get(), &info) != 0) {
      const int error = errno;
      if (last && error == ENOENT && m_finalLinkFollowed && m_finalLink == FinalLink::MustLead)
        return FileRefusal{.kind = FileRefusal::Kind::LinkToNothing, .file = m_path};
      // A new name (one too long for any is refused by the caller in its own words).
      if (last && (error == ENOENT || error == ENAMETOOLONG))
        return Entry(part);
      return SystemRefusal(error);
    }
    if (S_ISLNK(info.st_mode))
      return FollowLink(entry, info, part, last);
    if (last)
      return Entry(part);
    if (!S_ISDIR(info.st_mode))
      return SystemRefusal(ENOTDIR);
    // The folder is the one just looked at: the descriptor, not the name again.
    m_folder.Reset(entry.Release());
    m_resolved = Joined(m_resolved, part);
    return std::nullopt;
  }

  // The folder reached, itself.
  HeldEntry Itself() {
    return HeldEntry{HeldFolder(m_folder.Release(), m_resolved), ".",
                     m_resolved.empty() ? "." : m_resolved};
  }

 private:
  // The entry `name` of the folder reached.
  HeldEntry Entry(const std::string& name) {
    return HeldEntry{HeldFolder(m_folder.Release(), m_resolved), name, Joined(m_resolved, name)};
  }

  FileStatus StepUp() {
    Descriptor parent(::openat(m_folder.Get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (parent.Get() < 0)
      return SystemRefusal();
    m_folder.Reset(parent.Release());
    if (m_resolved.empty() || NameOf(m_resolved) == "..")
      m_resolved = Joined(m_resolved, "..");
    else if (m_resolved != "/")
      m_resolved = m_resolved.find('/') == std::string::npos ? "" : FolderOf(m_resolved);
    return {};
  }

  // The link `part`, open as `link`: followed as the kernel's protected-symlink rule allows,
  // its text's components walked next; a /proc link is taken as the kernel takes it.
  std::optional<FileResult<HeldEntry>> FollowLink(const Descriptor& link, const struct stat& info,
                                                  const std::string& part, bool last) {
    if (++m_links > kMaxLinks)
      return SystemRefusal(ELOOP);
    struct stat folderInfo {};
    if (::fstat(m_folder.Get(), &folderInfo) != 0)
      return SystemRefusal();
    const std::string candidate = Joined(m_resolved, part);
    if (!MayFollow(info, folderInfo))
      return FileRefusal{.kind = FileRefusal::Kind::SharedFolderLink,
                         .file = candidate == m_path ? std::string() : candidate};
    if (IsProcLink(link.Get()))
      return EnterProcLink(part, last);
    const auto target = LinkTarget(link.Get());
    if (!target)
      return SystemRefusal();
    m_finalLinkFollowed = last;
    std::vector<std::string> more = Components(*target);
    m_left.insert(m_left.end(), more.rbegin(), more.rend());
    if (target->starts_with('/')) {
      m_folder.Reset(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
      if (m_folder.Get() < 0)
        return SystemRefusal();
      m_resolved = "/";
    }
    if (m_left.empty())  // a link to "." or "/": the folder itself
      return Itself();
    return std::nullopt;
  }

  // The kernel takes a /proc link one step, as its own open would; the walk goes on from
  // where it led, which messages call by the link's name. Only a folder is walked on.
  std::optional<FileResult<HeldEntry>> EnterProcLink(const std::string& part, bool last) {
    const std::string candidate = Joined(m_resolved, part);
    Descriptor led(::openat(m_folder.Get(), part.c_str(), O_PATH | O_CLOEXEC));
    struct stat ledInfo {};
    if (led.Get() < 0 || ::fstat(led.Get(), &ledInfo) != 0)
      return SystemRefusal();
    if (!S_ISDIR(ledInfo.st_mode))
      return last ? FileRefusal{.kind = FileRefusal::Kind::ProcLinkToFile, .file = candidate}
                  : SystemRefusal(ENOTDIR);
    m_folder.Reset(led.Release());
    m_resolved = candidate;
    return last ? std::optional<FileResult<HeldEntry>>(Itself()) : std::nullopt;
  }

  const std::string& m_path;
  const FinalLink m_finalLink;
  std::vector<std::string> m_left;
  Descriptor m_folder;
  std::string m_resolved;
  int m_links = 0;
  bool m_finalLinkFollowed = false;
};

}  // namespace

FileResult<HeldEntry> ResolveEntry(const std::string& path, FinalLink finalLink) {
  PathWalk walk(path, finalLink);
  if (!walk.Started())
    return SystemRefusal();
  while (walk.HasMore()) {
    if (auto end = walk.Step())
      return std::move(*end);
  }
  // Nothing but "." and "/": the folder itself.
  return walk.Itself();
}

FileStatus FolderTakesNewFile(const HeldFolder& folder) {
  // With the effective ids, as the creation of the file would be checked.
  if (::faccessat(FdOf(folder), ".", W_OK | X_OK, AT_EACCESS) == 0)
    return {};
  return FileStatus::SystemError(errno);
}

bool FolderHasHardLinks(const HeldFolder& folder) {
  // vfat and its kin say that a file has at most one name.
  if (sys::Fpathconf(FdOf(folder), _PC_LINK_MAX) == 1)
    return false;
  // The kernel's exFAT and every FUSE server say 127, whatever they give: exFAT and the
  // FAT servers are known by their type.
  constexpr unsigned long kExfatMagic = 0x2011BAB0;
  struct statfs info {};
  if (sys::Fstatfs(FdOf(folder), &info) != 0)
    return true;
  if (static_cast<unsigned long>(info.f_type) == kExfatMagic)
    return false;
  if (info.f_type != FUSE_SUPER_MAGIC)
    return true;
  const std::string type = sys::MountType(FdOf(folder));
  for (const char* oneName :
       {"fuse.fusefat", "fuse.exfat", "fuseblk.exfat", "fuse.vfat", "fuse.msdos", "fuse.fatfs"})
    if (type == oneName)
      return false;
  return true;
}

bool FolderKeepsExistingNames(const HeldFolder& folder) {
  struct statfs info {};
  const bool fuse = sys::Fstatfs(FdOf(folder), &info) == 0 && info.f_type == FUSE_SUPER_MAGIC;
  return !fuse || FolderHasHardLinks(folder);
}

bool NameFits(const std::string& name) {
  return name.size() <= kMaxNameBytes;
}

namespace {

// The inode flags of the file open as `fd`; none where the file system keeps none.
unsigned InodeFlags(int fd) {
  int flags = 0;
  return ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 ? static_cast<unsigned>(flags) : 0u;
}

}  // namespace

FileStatus InodeFlagsAllowChange(int fd, bool folder) {
  using Kind = FileRefusal::Kind;
  const unsigned flags = InodeFlags(fd);
  if ((flags & FS_IMMUTABLE_FL) != 0)
    return FileRefusal{.kind = folder ? Kind::FolderImmutable : Kind::FileImmutable};
  if ((flags & FS_APPEND_FL) != 0)
    return FileRefusal{.kind = folder ? Kind::FolderAppendOnly : Kind::FileAppendOnly};
  return {};
}

FileStatus RenameOverAllowed(const HeldFolder& folder, const CFile* existing) {
  if (existing) {
    if (FileStatus file = InodeFlagsAllowChange(static_cast<int>(existing->GetHandle()), false);
        !file)
      return file;
  }
  const Descriptor listing(::openat(FdOf(folder), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (listing.Get() < 0)
    return {};
  const unsigned flags = InodeFlags(listing.Get());
  // An append-only folder takes new names but lets none be replaced or removed.
  return existing || (flags & FS_IMMUTABLE_FL) != 0 ? InodeFlagsAllowChange(listing.Get(), true)
                                                    : FileStatus();
}

FileStatus EntryWritable(const HeldFolder& folder, const std::string& name, const CFile& file) {
  // With the effective ids, as the open would be checked.
  if (::faccessat(FdOf(folder), name.c_str(), W_OK, AT_EACCESS) == 0)
    return {};
  const int error = errno;
  if (error == EPERM) {
    if (FileStatus flags = InodeFlagsAllowChange(static_cast<int>(file.GetHandle()), false); !flags)
      return flags;
  }
  return FileStatus::SystemError(error);
}

bool EntryExists(const HeldFolder& folder, const std::string& name) {
  struct stat info {};
  return ::fstatat(FdOf(folder), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

std::optional<FileIdentity> IdentityOf(const HeldFolder& folder, const std::string& name) {
  struct stat info {};
  if (::fstatat(FdOf(folder), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
    return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
}

std::vector<std::string> NamesIn(const HeldFolder& folder) {
  std::vector<std::string> names;
  Descriptor listing(::openat(FdOf(folder), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  DIR* entries = listing.Get() < 0 ? nullptr : ::fdopendir(listing.Get());
  if (!entries)
    return names;
  listing.Release();  // the listing's own now, closed with it
  while (const dirent* entry = ::readdir(entries)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..")
      names.push_back(name);
  }
  ::closedir(entries);
  return names;
}

bool IsMissing(const FileStatus& status) {
  return !status && status.Why().kind == FileRefusal::Kind::System && status.Why().error == ENOENT;
}

FileStatus RemoveFile(const HeldFolder& folder, const std::string& name) {
  // Tried again before it is given up: a name a run fails to remove is one it leaves behind.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (sys::Unlinkat(FdOf(folder), name.c_str()) == 0)
      return {};
    if (errno == ENOENT)
      break;
  }
  return FileStatus::SystemError(errno);
}

void RemoveHeldFile(CFile& file, const HeldFolder& folder, const std::string& name) {
  static_cast<void>(RemoveFile(folder, name));  // while it is locked, so no run opens it meanwhile
  file.Abort();
}

void MoveIntoPlace(const HeldEntry& entry, const CFile&, const std::string& from, Placing placing) {
  const HeldFolder& folder = entry.folder;
  const std::string& to = entry.name;
  const std::string& path = entry.path;
  const bool replaces = placing == Placing::Replace;
  const int fd = FdOf(folder);
  int result = replaces ? sys::Renameat(fd, from.c_str(), to.c_str())
                        : sys::RenameNoReplace(fd, from.c_str(), to.c_str());
  // A file system without renameat2's flag (exFAT, vfat, some network file systems): a hard
  // link never replaces a name, so the new name is linked and the temporary's removed; where
  // there are no hard links either, a plain rename with the name checked just before.
  if (!replaces && result != 0 && (errno == EINVAL || errno == ENOSYS)) {
    result = sys::Linkat(fd, from.c_str(), fd, to.c_str(), 0);
    if (result == 0) {
      // The temporary's name must go too. Where it cannot, the new name goes again and the
      // run fails with nothing changed; only where neither goes is the run done, its
      // temporary's name left for the next run's sweep.
      if (const FileStatus removed = RemoveFile(folder, from); !removed && RemoveFile(folder, to))
        throw CFileException(FileAction::Create, path, removed.Error());
    } else if (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS) {
      // Only a check just before a plain rename is left, which a file made in the instant
      // between them would not survive: not good enough for a file the run must keep.
      if (placing == Placing::NewNameKept)
        throw CFileException(FileAction::Create, path,
                             FileRefusal{.kind = FileRefusal::Kind::CannotKeepExisting}.Words() +
                                 "; nothing was changed");
      if (EntryExists(folder, to))
        throw CFileException(FileAction::Create, path, EEXIST);
      result = sys::Renameat(fd, from.c_str(), to.c_str());
    }
  }
  if (result != 0)
    throw CFileException(replaces ? FileAction::Replace : FileAction::Create, path, errno);
}

FileStatus LinkFile(const HeldFolder& folder, const std::string& from, const std::string& to) {
  const int fd = FdOf(folder);
  if (sys::Linkat(fd, from.c_str(), fd, to.c_str(), 0) == 0)
    return {};
  return FileStatus::SystemError(errno);
}

bool IsNameTaken(const FileStatus& status) {
  return status.Error() == EEXIST;
}

void ReleaseBeforeReplace(CFile&) {}

void SyncFolder(const HeldEntry& entry) {
  // The held folder itself, opened to read: an O_PATH descriptor cannot be synced.
  const int fd = sys::Openat(FdOf(entry.folder), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  int error = fd < 0 ? errno : 0;
  if (fd >= 0) {
    if (sys::Fsync(fd) != 0)
      error = errno;
    sys::Close(fd);
  }
  // EINVAL: a file system that keeps no separate folder data to sync.
  if (error != 0 && error != EINVAL)
    throw CFileException(FileAction::SyncFolder, entry.path, error);
}

}  // namespace zarneth

#include "c_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <vector>

#include "descriptor.h"
#include "file_system.h"
#include "inode_flags.h"
#include "posix_calls.h"
#include "words.h"

namespace zarneth {
namespace {

int FdOf(const CFile& file) {
  return static_cast<int>(file.GetHandle());
}

using Kind = FileRefusal::Kind;

// The refusal of a file that is not a regular file, by what it is.
FileRefusal NotRegular(mode_t mode) {
  if (S_ISDIR(mode))
    return {.kind = Kind::Folder};
  if (S_ISCHR(mode) || S_ISBLK(mode))
    return {.kind = Kind::Device};
  return {.kind = S_ISFIFO(mode) ? Kind::Fifo : Kind::OtherKind};
}

struct stat Status(const CFile& file, FileAction purpose) {
  struct stat info {};
  if (::fstat(FdOf(file), &info) != 0)
    file.Fail(purpose, errno);
  return info;
}

// The names of `file`'s extended attributes; none where the file system keeps none.
std::vector<std::string> AttributeNames(const CFile& file) {
  for (;;) {
    const ssize_t size = sys::Flistxattr(FdOf(file), nullptr, 0);
    if (size < 0 && (errno == ENOTSUP || errno == ENOSYS))
      return {};
    if (size < 0)
      file.Fail(FileAction::ListExtendedAttributes, errno);
    std::vector<char> list(static_cast<std::size_t>(size));
    const ssize_t got = sys::Flistxattr(FdOf(file), list.data(), list.size());
    if (got >= 0) {
      // The system's list: each name ended by a zero byte.
      std::vector<std::string> names;
      for (ssize_t at = 0; at < got; at += static_cast<ssize_t>(names.back().size()) + 1)
        names.emplace_back(&list[static_cast<std::size_t>(at)]);
      return names;
    }
    if (errno != ERANGE)  // ERANGE: one was added meanwhile, ask again
      file.Fail(FileAction::ListExtendedAttributes, errno);
  }
}

// Attributes that a privileged caller alone may set, what they are, for the words: file
// capabilities (CAP_SETFCAP), the trusted namespace (CAP_SYS_ADMIN), integrity measurements,
// and any other security attribute (a Smack label needs CAP_MAC_ADMIN, one no module
// handles CAP_SYS_ADMIN). The one exception is an SELinux label, which the file's owner may
// set where the policy allows, and which only a try tells; the dry run lets it pass as the
// real run's try may.
struct PrivilegedAttribute {
  const char* prefix;
  const char* what;
};
constexpr PrivilegedAttribute kPrivilegedAttributes[] = {
    {"security.capability", "file capabilities"}, {"trusted.", "a trusted attribute"},
    {"security.ima", "an integrity measurement"}, {"security.evm", "an integrity measurement"},
    {"security.", "a security attribute"},
};
constexpr const char* kOwnersSecurityAttribute = "security.selinux";

// What `name` is when only the superuser may set it; none otherwise.
const char* PrivilegedWhat(const std::string& name) {
  if (name == kOwnersSecurityAttribute)
    return nullptr;
  for (const PrivilegedAttribute& attribute : kPrivilegedAttributes)
    if (name.starts_with(attribute.prefix))
      return attribute.what;
  return nullptr;
}

// Whether a refused set of `name` (EPERM) means the caller lacks a privilege for it, as
// opposed to a file that takes no such attribute.
bool NeedsPrivilege(const std::string& name) {
  return name.starts_with("security.") || name.starts_with("trusted.");
}

FileRefusal PrivilegedAttribute(const std::string& name) {
  const char* what = PrivilegedWhat(name);
  return {.kind = Kind::PrivilegedAttribute, .file = name, .detail = what ? what : ""};
}

// Whether the caller may give a file to `group`: their own group or a further one.
bool IsCallersGroup(gid_t group) {
  if (group == ::getegid())
    return true;
  std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
  groups.resize(static_cast<std::size_t>(
      std::max(::getgroups(static_cast<int>(groups.size()), groups.data()), 0)));
  return std::find(groups.begin(), groups.end(), group) != groups.end();
}

// Every extended attribute of `from` onto `to`: ACLs (system.posix_acl_access), user,
// security and trusted attributes, whatever the caller can read. An access ACL that `to`
// took from its folder's default ACL goes when `from` has none: the file's access is
// exactly the old one's. Returns the name of an attribute the caller may not set, empty
// when every one was set.
std::string CopyExtendedAttributes(const CFile& from, CFile& to) {
  const std::vector<std::string> names = AttributeNames(from);
  const char* const kAccessList = "system.posix_acl_access";
  if (std::find(names.begin(), names.end(), kAccessList) == names.end() &&
      sys::Fremovexattr(FdOf(to), kAccessList) != 0 && errno != ENODATA && errno != ENOTSUP &&
      errno != ENOSYS)
    to.Fail(FileAction::RemoveAccessList, errno);
  std::vector<char> value;
  for (const std::string& attribute : names) {
    const char* name = attribute.c_str();
    ssize_t size = sys::Fgetxattr(FdOf(from), name, nullptr, 0);
    if (size >= 0) {
      value.resize(static_cast<std::size_t>(size));
      size = sys::Fgetxattr(FdOf(from), name, value.data(), value.size());
    }
    if (size < 0) {
      if (errno == ENODATA)
        continue;  // removed meanwhile
      from.Fail(FileAction::ReadExtendedAttribute, errno, name);
    }
    if (sys::Fsetxattr(FdOf(to), name, value.data(), static_cast<std::size_t>(size), 0) != 0) {
      if (errno == EPERM && NeedsPrivilege(name))
        return name;
      to.Fail(FileAction::SetExtendedAttribute, errno, name);
    }
  }
  return {};
}

// Opens again the very file `named` (an O_PATH descriptor) holds, for reading or writing, as
// its entry in /proc leads: no name is looked up again, so nothing swapped in meanwhile is
// opened. Without /proc (a container or chroot that has none), `name` in `folder` is opened
// with no link followed, and only the file `named` holds is taken.
int OpenAgain(int named, int folder, const std::string& name, bool writes) {
  const int access = (writes ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NOCTTY;
  const int fd = sys::Openat(AT_FDCWD, OwnDescriptorPath(named).c_str(), access);
  if (fd >= 0 || errno != ENOENT || ::access(kOwnDescriptors, X_OK) == 0)
    return fd;
  // O_NONBLOCK: a FIFO swapped in since the judging does not wait for a peer.
  Descriptor byName(sys::Openat(folder, name.c_str(), access | O_NONBLOCK | O_NOFOLLOW));
  struct stat held {};
  struct stat opened {};
  if (byName.Get() < 0 || ::fstat(named, &held) != 0 || ::fstat(byName.Get(), &opened) != 0)
    return -1;
  if (held.st_dev != opened.st_dev || held.st_ino != opened.st_ino)
    return errno = ESTALE, -1;
  return byName.Release();
}

// Why the open of the file `named` holds failed with `error`, as the file's own state says
// where the system's words are unclear: an ordinary user is refused a file without write
// bits (EACCES) and an immutable or append-only one (EPERM) alike.
FileRefusal OpenRefusal(int named, bool writes, int error) {
  struct stat info {};
  if (writes && error == EACCES && ::fstat(named, &info) == 0 && (info.st_mode & 0222) == 0)
    return {.kind = Kind::ReadOnly};
  if (writes && error == EPERM) {
    const Descriptor readOnly(::open(OwnDescriptorPath(named).c_str(), O_RDONLY | O_CLOEXEC));
    if (readOnly.Get() >= 0) {
      if (const FileStatus flags = InodeFlagsAllowChange(readOnly.Get(), false); !flags)
        return flags.Why();
    }
  }
  if (error == ESTALE)
    return {.kind = Kind::Replaced};
  return {.kind = Kind::System, .error = error};
}

}  // namespace

const int kErrorIo = EIO;

std::string SystemErrorText(int error) {
  return std::system_category().message(error);
}

FileStatus CFile::OpenAt(const HeldFolder& folder, const std::string& name, const std::string& path,
                         unsigned flags) {
  if (IsOpen())
    return FileRefusal{.kind = Kind::AlreadyOpen};
  const Holding holding = HoldingFor(flags);
  const bool writes = holding == Holding::Write;
  // Judged before it is opened: the open of a FIFO lets a writer waiting on it go, the open
  // of a device can act on it. An O_PATH descriptor opens nothing; only a regular file is
  // then opened, the very one it holds. O_NOFOLLOW: a link put in the file's place since the
  // folder was walked is refused.
  const int folderFd = static_cast<int>(folder.Handle());
  const Descriptor named(::openat(folderFd, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
  struct stat info {};
  if (named.Get() < 0 || ::fstat(named.Get(), &info) != 0)
    return FileStatus::SystemError(errno);
  if (S_ISLNK(info.st_mode))
    return FileRefusal{.kind = Kind::Link};
  if (!S_ISREG(info.st_mode))
    return NotRegular(info.st_mode);
  const int fd = OpenAgain(named.Get(), folderFd, name, writes);
  if (fd < 0)
    return OpenRefusal(named.Get(), writes, errno);
  return Adopt(fd, path, holding);
}

FileStatus CFile::Adopt(SystemHandle handle, const std::string& path, Holding holding) {
  const int fd = static_cast<int>(handle);
  const bool writes = holding == Holding::Write;
  const int lockOperation = holding == Holding::SharedRead ? LOCK_SH : LOCK_EX;
  auto refuseAndClose = [&](FileRefusal refusal) {
    sys::Close(fd);
    return FileStatus(std::move(refusal));
  };
  struct stat info {};
  if (::fstat(fd, &info) != 0)
    return refuseAndClose({.kind = Kind::System, .error = errno});
  if (!S_ISREG(info.st_mode))
    return refuseAndClose(NotRegular(info.st_mode));
  // Permission bits refuse nothing to root, so a file without any write bit is treated as
  // marked read-only and never opened for writing by anyone.
  if (writes && (info.st_mode & 0222) == 0)
    return refuseAndClose({.kind = Kind::ReadOnly});
  // The lock belongs to this open file description: a second open of the same file, through
  // any name, in this run or another process, is refused while this one holds it.
  if (sys::Flock(fd, lockOperation | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK)
      return refuseAndClose({.kind = Kind::InUse});
    return refuseAndClose({.kind = Kind::System, .error = errno});
  }
  m_handle = fd;
  m_path = path;
  m_identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
  return {};
}

std::uint64_t CFile::GetLength() const {
  return static_cast<std::uint64_t>(Status(*this, FileAction::GetLength).st_size);
}

std::uint64_t CFile::GetLinkCount() const {
  return Status(*this, FileAction::CountNames).st_nlink;
}

bool CFile::IsOwnedByCaller() const {
  return Status(*this, FileAction::GetOwner).st_uid == ::geteuid();
}

bool CFile::MayBeWrittenByOthers() const {
  return (Status(*this, FileAction::GetPermissions).st_mode & 022) != 0;
}

std::uint32_t CFile::ReadAt(std::uint64_t offset, void* buffer, std::uint32_t count) {
  auto* bytes = static_cast<unsigned char*>(buffer);
  std::uint32_t done = 0;
  while (done < count) {
    const ssize_t n =
        sys::Pread(FdOf(*this), bytes + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0)
      Fail(FileAction::Read, errno);
    if (n == 0)
      break;  // end of file
    done += static_cast<std::uint32_t>(n);
  }
  return done;
}

void CFile::WriteAt(std::uint64_t offset, const void* buffer, std::uint32_t count) {
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  std::uint32_t done = 0;
  while (done < count) {
    const ssize_t n =
        sys::Pwrite(FdOf(*this), bytes + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0)
      Fail(FileAction::Write, errno);
    if (n == 0)
      Fail(FileAction::Write, kErrorIo);
    done += static_cast<std::uint32_t>(n);
  }
}

void CFile::Sync() {
  if (sys::Fsync(FdOf(*this)) != 0)
    Fail(FileAction::Sync, errno);
}

void CFile::Close() {
  if (!IsOpen())
    return;
  const int fd = FdOf(*this);
  m_handle = kNoHandle;
  // After a failed close the descriptor is gone on Linux; retrying could close another file.
  if (sys::Close(fd) != 0 && errno != EINTR)
    Fail(FileAction::Close, errno);
}

void CFile::Abort() {
  if (IsOpen())
    sys::Close(FdOf(*this));
  m_handle = kNoHandle;
}

bool CFile::IsReadOnly() const {
  return (Status(*this, FileAction::GetPermissions).st_mode & 0222) == 0;
}

unsigned CFile::GetPermissions() const {
  return Status(*this, FileAction::GetPermissions).st_mode & 0777;
}

void CFile::RestrictPermissions(unsigned permissions) {
  const unsigned now = GetPermissions();
  if ((now & permissions) == now || sys::Fchmod(FdOf(*this), now & permissions) == 0)
    return;
  // A file system that holds no mode (FAT, exFAT, a FUSE one) answers ENOSYS or EPERM, or
  // says it cannot: the file keeps the mode it gives, as cp leaves it there.
  if (errno == ENOSYS || errno == EPERM || errno == EOPNOTSUPP)
    return;
  Fail(FileAction::SetPermissions, errno);
}

FileStatus CFile::AccessCanBeTaken() const {
  if (::geteuid() == 0)
    return {};
  const struct stat info = Status(*this, FileAction::GetOwner);
  if (info.st_uid != ::geteuid() || !IsCallersGroup(info.st_gid))
    return FileRefusal{.kind = Kind::OtherOwner};
  // The attributes the real run would be refused; one the owner may set passes here as it
  // does there.
  for (const std::string& name : AttributeNames(*this))
    if (PrivilegedWhat(name))
      return PrivilegedAttribute(name);
  return {};
}

FileStatus CFile::TakeAccessFrom(const CFile& model) {
  const struct stat info = Status(model, FileAction::GetPermissions);
  const struct stat own = Status(*this, FileAction::GetOwner);
  // The owner and group: a new file in a set-group-ID folder has the folder's group, whoever
  // made it. Only the superuser may give a file away, and only a member of a group may give
  // the file to it. Not asked where the file has them already: a file system without owners
  // (vfat, exFAT) gives every file the same, and may not take the call at all (FUSE).
  const bool sameOwner = own.st_uid == info.st_uid && own.st_gid == info.st_gid;
  if (!sameOwner && sys::Fchown(FdOf(*this), info.st_uid, info.st_gid) != 0) {
    if (errno != EPERM)
      Fail(FileAction::SetOwner, errno);
    return FileRefusal{.kind = Kind::OtherOwner};
  }
  // After the change of owner, which clears set-id bits and file capabilities.
  const std::string notSet = CopyExtendedAttributes(model, *this);
  if (!notSet.empty())
    return PrivilegedAttribute(notSet);
  // The mode last: setting an access list changes the group bits, and the mode's set-id
  // bits would not survive the change of owner.
  if ((Status(*this, FileAction::GetPermissions).st_mode & 07777) != (info.st_mode & 07777) &&
      sys::Fchmod(FdOf(*this), info.st_mode & 07777) != 0)
    Fail(FileAction::SetPermissions, errno);
  return {};
}

}  // namespace zarneth

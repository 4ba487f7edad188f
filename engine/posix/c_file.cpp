#include "c_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <system_error>

#include "posix_calls.h"

namespace zarneth {
namespace {

int FdOf(const CFile& file) {
  return static_cast<int>(file.GetHandle());
}

// Why a file that is not a regular file cannot take part in a run.
std::string NotRegularReason(mode_t mode) {
  if (S_ISDIR(mode))
    return SystemErrorText(EISDIR);
  if (S_ISCHR(mode) || S_ISBLK(mode))
    return "it is a device, not a regular file";
  if (S_ISFIFO(mode))
    return "it is a FIFO, not a regular file";
  return "it is not a regular file";
}

}  // namespace

const int kErrorIo = EIO;
const int kErrorTooLarge = EFBIG;

std::string SystemErrorText(int error) {
  return std::system_category().message(error);
}

bool CFile::Open(const std::string& path, unsigned flags, std::string* whyNot) {
  if (IsOpen())
    return Refuse(whyNot, "this file object is already open");
  if (path.empty())
    return Refuse(whyNot, "no path given");
  const bool writes = (flags & modeReadWrite) != 0;
  const bool exclusive = writes || (flags & shareExclusive) != 0;
  // O_NONBLOCK keeps the open of a FIFO from waiting for a peer; a FIFO is refused below,
  // and on a regular file the flag changes nothing.
  const int fd =
      sys::Open(path.c_str(), (writes ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0)
    return Refuse(whyNot, SystemErrorText(errno));
  return Adopt(fd, path, writes, exclusive ? shareExclusive : modeRead, whyNot);
}

bool CFile::CreateNew(const std::string& path, unsigned permissions, std::string* whyNot) {
  if (IsOpen())
    return Refuse(whyNot, "this file object is already open");
  const int fd = sys::Open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                           static_cast<mode_t>(permissions));
  if (fd < 0)
    return Refuse(whyNot, SystemErrorText(errno));
  return Adopt(fd, path, true, shareExclusive, whyNot);
}

bool CFile::Adopt(std::intptr_t handle, const std::string& path, bool writes, unsigned flags,
                  std::string* whyNot) {
  const int fd = static_cast<int>(handle);
  const int lockOperation = (flags & shareExclusive) != 0 ? LOCK_EX : LOCK_SH;
  auto refuseAndClose = [&](std::string reason) {
    sys::Close(fd);
    return Refuse(whyNot, std::move(reason));
  };
  struct stat info {};
  if (::fstat(fd, &info) != 0)
    return refuseAndClose(SystemErrorText(errno));
  if (!S_ISREG(info.st_mode))
    return refuseAndClose(NotRegularReason(info.st_mode));
  // Permission bits refuse nothing to root, so a file without any write bit is treated as
  // marked read-only and never opened for writing by anyone.
  if (writes && (info.st_mode & 0222) == 0)
    return refuseAndClose("the file is read-only");
  // The lock belongs to this open file description: a second open of the same file, through
  // any name, in this run or another process, is refused while this one holds it.
  if (sys::Flock(fd, lockOperation | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK)
      return refuseAndClose("the file is in use (held open by a run)");
    return refuseAndClose(SystemErrorText(errno));
  }
  m_handle = fd;
  m_path = path;
  m_identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
  return true;
}

std::uint32_t CFile::GetLength() const {
  struct stat info {};
  if (::fstat(FdOf(*this), &info) != 0)
    Fail("get the length of", errno);
  if (info.st_size < 0 ||
      static_cast<unsigned long long>(info.st_size) > std::numeric_limits<std::uint32_t>::max())
    Fail("get the length of", kErrorTooLarge);
  return static_cast<std::uint32_t>(info.st_size);
}

std::uint32_t CFile::ReadAt(std::uint64_t offset, void* buffer, std::uint32_t count) {
  auto* bytes = static_cast<unsigned char*>(buffer);
  std::uint32_t done = 0;
  while (done < count) {
    const ssize_t n =
        sys::Pread(FdOf(*this), bytes + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR)
        continue;
      Fail("read", errno);
    }
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
    if (n < 0) {
      if (errno == EINTR)
        continue;
      Fail("write", errno);
    }
    if (n == 0)
      Fail("write", EIO);
    done += static_cast<std::uint32_t>(n);
  }
}

void CFile::Sync() {
  if (sys::Fsync(FdOf(*this)) != 0)
    Fail("sync", errno);
}

void CFile::Close() {
  if (!IsOpen())
    return;
  const int fd = FdOf(*this);
  m_handle = kNoHandle;
  // After a failed close the descriptor is gone on Linux; retrying could close another file.
  if (sys::Close(fd) != 0 && errno != EINTR)
    Fail("close", errno);
}

void CFile::Abort() {
  if (IsOpen())
    sys::Close(FdOf(*this));
  m_handle = kNoHandle;
}

bool CFile::IsReadOnly() const {
  struct stat info {};
  if (::fstat(FdOf(*this), &info) != 0)
    Fail("get the permissions of", errno);
  return (info.st_mode & 0222) == 0;
}

void CFile::TakeAccessFrom(const CFile& model) {
  struct stat info {};
  if (::fstat(FdOf(model), &info) != 0)
    model.Fail("get the permissions of", errno);
  if (sys::Fchmod(FdOf(*this), info.st_mode & 07777) != 0)
    Fail("set the permissions of", errno);
  // Only the owner's superuser may give a file away; otherwise the new file is ours.
  if ((info.st_uid != ::geteuid() || info.st_gid != ::getegid()) &&
      sys::Fchown(FdOf(*this), info.st_uid, info.st_gid) != 0 && errno != EPERM)
    Fail("set the owner of", errno);
}

}  // namespace zarneth

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

std::string ErrorText(int error) {
  return std::system_category().message(error);
}

bool Refuse(std::string* whyNot, std::string reason) {
  if (whyNot)
    *whyNot = std::move(reason);
  return false;
}

// Opens a destination without following a dangling symbolic link into a new file elsewhere
// and without truncating anything: truncation waits until the lock is held.
int OpenForCreate(const std::string& path, int baseFlags, std::string* whyNot) {
  int fd = ::open(path.c_str(), O_WRONLY | baseFlags);
  if (fd >= 0 || errno != ENOENT)
    return fd;
  fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | baseFlags, 0666);
  if (fd >= 0 || errno != EEXIST)
    return fd;
  struct stat link {};
  if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    Refuse(whyNot, "it is a symbolic link to a file that does not exist");
    errno = 0;
    return -1;
  }
  // Someone created it between the two opens: open it as an existing file.
  return ::open(path.c_str(), O_WRONLY | baseFlags);
}

}  // namespace

CFileException::CFileException(std::string operation, std::string path, int error)
    : std::runtime_error("cannot " + operation + " file " + path + ": " + ErrorText(error)),
      m_operation(std::move(operation)),
      m_path(std::move(path)),
      m_error(error) {}

CFile::~CFile() {
  if (m_fd >= 0)
    ::close(m_fd);
}

bool CFile::Open(const std::string& path, unsigned flags, std::string* whyNot) {
  if (IsOpen())
    return Refuse(whyNot, "this file object is already open");
  if (path.empty())
    return Refuse(whyNot, "no path given");

  const bool create = flags == (modeCreate | modeWrite);
  if (!create && flags != modeRead && flags != modeReadWrite)
    return Refuse(whyNot, "unsupported open mode");
  const bool writes = flags != modeRead;

  // O_NONBLOCK keeps the open of a FIFO from waiting for a peer; it is cleared again below.
  const int baseFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  int fd = create ? OpenForCreate(path, baseFlags, whyNot)
                  : ::open(path.c_str(), (writes ? O_RDWR : O_RDONLY) | baseFlags);
  if (fd < 0) {
    if (errno != 0)
      Refuse(whyNot, ErrorText(errno));
    return false;
  }

  auto refuseAndClose = [&](std::string reason) {
    ::close(fd);
    return Refuse(whyNot, std::move(reason));
  };

  struct stat info {};
  if (::fstat(fd, &info) != 0)
    return refuseAndClose(ErrorText(errno));
  if (S_ISDIR(info.st_mode))
    return refuseAndClose(ErrorText(EISDIR));
  if (!S_ISREG(info.st_mode) && !S_ISCHR(info.st_mode))
    return refuseAndClose("it is not a regular file");
  // Permission bits refuse nothing to root, so a file without any write bit is treated as
  // marked read-only and never opened for writing by anyone.
  if (writes && S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0)
    return refuseAndClose("the file is read-only");

  // The lock belongs to this open file description: a second open of the same file, through
  // any name, in this run or another process, is refused while this one holds it.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK)
      return refuseAndClose("the file is in use (held open by a run)");
    return refuseAndClose(ErrorText(errno));
  }
  if (create && S_ISREG(info.st_mode) && ::ftruncate(fd, 0) != 0)
    return refuseAndClose(ErrorText(errno));

  const int statusFlags = ::fcntl(fd, F_GETFL);
  if (statusFlags < 0 || ::fcntl(fd, F_SETFL, statusFlags & ~O_NONBLOCK) != 0)
    return refuseAndClose(ErrorText(errno));

  m_fd = fd;
  m_path = path;
  return true;
}

std::uint32_t CFile::GetLength() const {
  struct stat info {};
  if (::fstat(m_fd, &info) != 0)
    Fail("get the length of", errno);
  if (info.st_size < 0 ||
      static_cast<unsigned long long>(info.st_size) > std::numeric_limits<std::uint32_t>::max())
    Fail("get the length of", EFBIG);
  return static_cast<std::uint32_t>(info.st_size);
}

std::uint32_t CFile::Seek(std::int32_t offset, SeekPosition /*from*/) {
  const std::string operation =
      "seek to offset " + std::to_string(static_cast<std::uint32_t>(offset)) + " in";
  if (offset < 0)
    Fail(operation, EINVAL);
  const off_t position = ::lseek(m_fd, offset, SEEK_SET);
  if (position < 0)
    Fail(operation, errno);
  return static_cast<std::uint32_t>(position);
}

std::uint32_t CFile::Read(void* buffer, std::uint32_t count) {
  auto* bytes = static_cast<unsigned char*>(buffer);
  std::uint32_t done = 0;
  while (done < count) {
    const ssize_t n = ActivePosixCalls().read(m_fd, bytes + done, count - done);
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

void CFile::Write(const void* buffer, std::uint32_t count) {
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  std::uint32_t done = 0;
  while (done < count) {
    const ssize_t n = ActivePosixCalls().write(m_fd, bytes + done, count - done);
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

void CFile::SetLength(std::uint32_t length) {
  if (::ftruncate(m_fd, static_cast<off_t>(length)) != 0)
    Fail("set the length of", errno);
}

void CFile::Close() {
  if (m_fd < 0)
    return;
  const int fd = m_fd;
  m_fd = -1;
  // After a failed close the descriptor is gone on Linux; retrying could close another file.
  if (::close(fd) != 0 && errno != EINTR)
    Fail("close", errno);
}

void CFile::Fail(const std::string& operation, int error) const {
  throw CFileException(operation, m_path, error);
}

}  // namespace zarneth

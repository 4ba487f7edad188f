#include "temporary_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "file_paths.h"
#include "file_system.h"
#include "posix_calls.h"

namespace zarneth {
namespace {

// Errors with which a folder's file system (vfat, exFAT, some network file systems) or an
// old kernel refuses anonymous files; a named temporary then takes their place.
bool NoAnonymousFiles(int error) {
  return error == EOPNOTSUPP || error == EISDIR || error == EINVAL || error == ENOSYS;
}

// The process's own open files, by number: how an anonymous file is linked to a name.
constexpr const char* kOwnDescriptors = "/proc/self/fd";

// A write beyond the process's file-size limit (ulimit -f) then fails with EFBIG, which the
// run reports and cleans up after, instead of killing the process part-way through.
void IgnoreFileSizeSignal() {
  static const bool ignored = std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR;
  static_cast<void>(ignored);
}

}  // namespace

bool TemporaryFile::Create(const std::string& finalPath, unsigned permissions,
                           std::string* whyNot) {
  IgnoreFileSizeSignal();
  m_finalPath = finalPath;
  // An anonymous file can be given a name only through /proc (GiveName); without /proc (a
  // container or chroot that has none) the temporary is a named one from the start.
  if (::access(kOwnDescriptors, X_OK) == 0) {
    const int fd = sys::Open(FolderOf(finalPath).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC,
                             static_cast<mode_t>(permissions));
    if (fd >= 0)
      return m_file.Adopt(fd, finalPath, CFile::Holding::Write, whyNot);
    if (!NoAnonymousFiles(errno))
      return CFile::Refuse(whyNot, SystemErrorText(errno));
  }
  // A name drawn at random; a name that is taken, or that a cleaning run removed in the
  // instant between its creation and its lock, is given up for another.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = TemporaryName(finalPath);
    const int named = sys::Open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                                static_cast<mode_t>(permissions));
    if (named < 0 && errno == EEXIST)
      continue;
    if (named < 0)
      return CFile::Refuse(whyNot, SystemErrorText(errno));
    if (!m_file.Adopt(named, finalPath, CFile::Holding::Write, whyNot)) {
      RemoveFile(name);
      return false;
    }
    m_name = name;
    if (IdentityOf(name) == m_file.GetIdentity())
      return true;
    m_name.clear();
    m_file.Abort();
  }
  return CFile::Refuse(whyNot, "no unused temporary name in the folder");
}

int TemporaryFile::NameAs(const std::string& path) {
  // An anonymous file gets a name through its descriptor's entry in /proc, the one way that
  // needs no privilege (open(2)). A link never replaces a name that exists.
  const std::string self = kOwnDescriptors + ("/" + std::to_string(m_file.GetHandle()));
  if (sys::Linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) != 0)
    return errno;
  m_name = path;
  return 0;
}

const std::string& TemporaryFile::GiveName(const CFile*) {
  if (!m_name.empty())
    return m_name;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const int error = NameAs(TemporaryName(m_finalPath));
    if (error == 0)
      return m_name;
    if (error != EEXIST)
      m_file.Fail("name the new content of", error);
  }
  m_file.Fail("name the new content of", EEXIST);
}

void TemporaryFile::Discard() noexcept {
  if (!m_placed && !m_name.empty())
    RemoveFile(m_name);  // still locked, so no cleaning run can take it for a stale one
  m_name.clear();
  m_file.Abort();
}

}  // namespace zarneth

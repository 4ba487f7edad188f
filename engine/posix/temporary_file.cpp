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
  const int fd = sys::Open(FolderOf(finalPath).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC,
                           static_cast<mode_t>(permissions));
  if (fd >= 0)
    return m_file.Adopt(fd, finalPath, CFile::Holding::Write, whyNot);
  if (!NoAnonymousFiles(errno))
    return CFile::Refuse(whyNot, SystemErrorText(errno));
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

const std::string& TemporaryFile::GiveName(const CFile*) {
  if (!m_name.empty())
    return m_name;
  // An anonymous file gets a name through its descriptor's entry in /proc, the one way that
  // needs no privilege (open(2)).
  const std::string self = "/proc/self/fd/" + std::to_string(m_file.GetHandle());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = TemporaryName(m_finalPath);
    if (sys::Linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      m_name = name;
      return m_name;
    }
    if (errno != EEXIST)
      m_file.Fail("name the new content of", errno);
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

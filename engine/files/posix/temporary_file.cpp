#include "temporary_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "descriptor.h"
#include "file_paths.h"
#include "file_system.h"
#include "posix_calls.h"
#include "words.h"

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

int FdOf(const HeldFolder& folder) {
  return static_cast<int>(folder.Handle());
}

}  // namespace

FileStatus TemporaryFile::Create(const HeldEntry& destination, unsigned permissions) {
  const HeldFolder& folder = destination.folder;
  const std::string& finalName = destination.name;
  const std::string& finalPath = destination.path;
  IgnoreFileSizeSignal();
  m_folder = &folder;
  m_finalName = finalName;
  // An anonymous file can be given a name only through /proc (GiveName); without /proc (a
  // container or chroot that has none) the temporary is a named one from the start.
  if (::access(kOwnDescriptors, X_OK) == 0) {
    const int fd = sys::Openat(FdOf(folder), ".", O_TMPFILE | O_RDWR | O_CLOEXEC,
                               static_cast<mode_t>(permissions));
    if (fd >= 0)
      return m_file.Adopt(fd, finalPath, CFile::Holding::Write);
    if (!NoAnonymousFiles(errno))
      return FileStatus::SystemError(errno);
  }
  // A name drawn at random; a name that is taken, or that a cleaning run removed in the
  // instant between its creation and its lock, is given up for another.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = TemporaryNameFor(finalName);
    const int named =
        sys::Openat(FdOf(folder), name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                    static_cast<mode_t>(permissions));
    if (named < 0 && errno == EEXIST)
      continue;
    if (named < 0)
      return FileStatus::SystemError(errno);
    if (FileStatus adopted = m_file.Adopt(named, finalPath, CFile::Holding::Write); !adopted) {
      static_cast<void>(
          RemoveFile(folder, name));  // made by this run, never locked: nobody else's yet
      return adopted;
    }
    const auto identity = IdentityOf(folder, name);
    const int checkError = errno;  // before the close below, which may change it
    if (identity == m_file.GetIdentity()) {
      m_name = name;
      return {};
    }
    m_file.Abort();
    // The name cannot be checked: the file made under it is this run's, and goes.
    if (!identity) {
      static_cast<void>(RemoveFile(folder, name));
      return FileStatus::SystemError(checkError);
    }
    // A cleaning run took the name meanwhile and someone made another file under it: theirs.
  }
  return FileRefusal{.kind = FileRefusal::Kind::NoTemporaryName};
}

FileStatus TemporaryFile::NameAs(const std::string& name) {
  // An anonymous file gets a name through its descriptor's entry in /proc, the one way that
  // needs no privilege (open(2)). A link never replaces a name that exists.
  const std::string self = OwnDescriptorPath(static_cast<int>(m_file.GetHandle()));
  if (sys::Linkat(AT_FDCWD, self.c_str(), FdOf(*m_folder), name.c_str(), AT_SYMLINK_FOLLOW) != 0)
    return FileStatus::SystemError(errno);
  m_name = name;
  return {};
}

FileStatus TemporaryFile::ProveFurtherName() {
  if (IsAnonymous()) {
    // An empty anonymous file of its own takes the trial name and loses it at once, so that
    // the new content stays anonymous until the commit names it: a run killed while it
    // writes leaves nothing, and one killed in the trial's instant an empty file that the
    // next run's sweep takes.
    const int probe = sys::Openat(FdOf(*m_folder), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (probe < 0)
      return FileStatus::SystemError(errno);
    const std::string self = OwnDescriptorPath(probe);
    FileStatus result = FileStatus::SystemError(EEXIST);
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::string name = TemporaryNameFor(m_finalName);
      if (sys::Linkat(AT_FDCWD, self.c_str(), FdOf(*m_folder), name.c_str(), AT_SYMLINK_FOLLOW) ==
          0) {
        const FileStatus removed = RemoveFile(*m_folder, name);
        sys::Close(probe);
        // Gone already is gone: a sweep of a run beside this one may have taken it.
        if (!removed && removed.Error() != ENOENT)
          m_file.Fail(FileAction::RemoveTrialName, removed.Error(), name);
        return {};
      }
      result = FileStatus::SystemError(errno);
      if (!IsNameTaken(result))
        break;
    }
    sys::Close(probe);
    return result;
  }
  const std::string probe = TemporaryNameFor(m_finalName);
  const FileStatus linked = LinkFile(*m_folder, m_name, probe);
  if (!linked)
    return IsNameTaken(linked) ? FileStatus() : linked;  // a name taken says nothing of links
  const FileStatus removed = RemoveFile(*m_folder, probe);
  if (!removed && removed.Error() != ENOENT)
    m_file.Fail(FileAction::RemoveTrialName, removed.Error(), probe);
  return {};
}

const std::string& TemporaryFile::GiveName(const CFile*) {
  if (!m_name.empty())
    return m_name;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const FileStatus named = NameAs(TemporaryNameFor(m_finalName));
    if (named)
      return m_name;
    if (!IsNameTaken(named))
      m_file.Fail(FileAction::NameNewContent, named.Error());
  }
  m_file.Fail(FileAction::NameNewContent, EEXIST);
}

void TemporaryFile::Discard() noexcept {
  // Still locked, so no cleaning run can take it for stale; a name that cannot go is one the
  // next run's sweep removes.
  if (!m_placed && !m_name.empty())
    static_cast<void>(RemoveFile(*m_folder, m_name));
  m_name.clear();
  m_file.Abort();
}

}  // namespace zarneth

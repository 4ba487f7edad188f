#pragma once

// The file layer's one way to say no: a value, or the refusal that took its place. A refusal
// carries what stood in the way (its kind), the system's error number where the system said
// no, and the file its words name; the words are made in one place (FileRefusal::Words),
// never where the refusal is met, so that a refusal reads the same wherever it comes from.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "misuse.h"

namespace zarneth {

struct FileRefusal {
  enum class Kind {
    System,            // the system said no: `error`
    Device,            // a device's name (Windows: NUL, CON, COM1, ...)
    LinkToNothing,     // a symbolic link to a file that does not exist
    SharedFolderLink,  // a link another user owns in a folder shared by all: `file` is the
                       // link on the way, empty where the path itself is that link
    ForeignLink,       // a link owned by neither the caller nor its folder's owner (Windows):
                       // `file` as for SharedFolderLink
    ProcLinkToFile,    // a link of /proc to a file, at the end of a path
    FileImmutable,     // marked immutable (chattr +i)
    FileAppendOnly,    // marked append-only (chattr +a)
    FolderImmutable,   // the file's folder, so marked
    FolderAppendOnly,
    AlreadyOpen,          // this file object is open already
    NoPath,               // no path given
    Folder,               // a folder, not a file
    Fifo,                 // a FIFO, not a regular file
    Pipe,                 // a pipe (Windows), not a regular file
    OtherKind,            // anything else that is not a regular file
    Link,                 // a symbolic link in the file's place
    ReadOnly,             // no write bit at all, or the read-only attribute
    InUse,                // held open by a run (its lock or share mode)
    Replaced,             // another file took the name while the run opened it
    OtherOwner,           // another user's or group's, which the caller may not keep theirs
    PrivilegedAttribute,  // `file`: the attribute; `detail`: what it is, where only the
                          // superuser may set it (empty: as the security policy allows)
    NoTemporaryName,      // every temporary name drawn was taken
    NoIdentity,           // the system cannot tell which file it is (Windows): `error`
    NameTooLong,          // longer than a file name may be
    BackupNameTooLong,    // `file`: the backup's name, longer than a file name may be
    Exists,               // it exists, and the run keeps existing files (no clobber)
    HardLinks,            // `count` names, whose others would keep the old bytes
    HardLinksBackup,      // the same, `file` being a backup a stopped run left
    HardLinksTrial,       // the same, `file` being a trial name a stopped run left
    NoSecondNames,        // no hard links on the file system (`error`: what it said, or 0)
    EveryBackupNameTaken,
    CannotKeepExisting,  // no rename that keeps an existing name, nor hard links
    Unconfirmed,         // a warning, not a refusal: the new content is in place in `file`,
                         // but the system did not confirm it is on the disk (`detail`)
  };
  // What to do instead, said after the refusal.
  enum class Advice { None, PatchedCopy, OtherName };
  // (The explicit {} lets a designated initializer leave a member out without GCC's
  // missing-initializer warning.)
  Kind kind = Kind::System;
  int error = 0;
  std::string file{};
  std::string detail{};
  std::uint64_t count = 0;
  // Where the image patched in place is refused for its folder: the folder's path, which the
  // words name ("its folder '.' does not take a new file (...)").
  std::string folder{};
  Advice advice = Advice::None;

  // "it is a symbolic link to a file that does not exist", the system's text for `error`, ...
  // with the folder it was met for and the advice.
  std::string Words() const;

 private:
  std::string KindWords() const;
};

// A step that gives no value: done, or the refusal that stopped it.
class [[nodiscard]] FileStatus {
 public:
  FileStatus() = default;
  FileStatus(FileRefusal refusal) : m_refusal(std::move(refusal)) {}
  // The refusal of what the system said: its error number.
  static FileStatus SystemError(int error) {
    return FileRefusal{.kind = FileRefusal::Kind::System, .error = error};
  }
  bool ok() const { return !m_refusal; }
  explicit operator bool() const { return ok(); }
  const FileRefusal& Why() const {
    if (!m_refusal)
      Misused("a done file step has no refusal");
    return *m_refusal;
  }
  // The system's error number of a refusal the system made; 0 when done.
  int Error() const { return m_refusal ? m_refusal->error : 0; }

 private:
  std::optional<FileRefusal> m_refusal;
};

// A value, or the refusal that took its place, as LLVM's Expected: the value is there to take
// only where there is one.
template <typename T>
class [[nodiscard]] FileResult {
 public:
  // Not explicit: a step returns its value or its refusal as it is.
  FileResult(T value) : m_value(std::move(value)) {}
  FileResult(FileRefusal refusal) : m_refusal(std::move(refusal)) {}
  explicit operator bool() const { return m_value.has_value(); }
  T& operator*() { return Value(); }
  const T& operator*() const { return Value(); }
  T* operator->() { return &Value(); }
  const T* operator->() const { return &Value(); }
  const FileRefusal& Why() const { return m_refusal; }

 private:
  T& Value() {
    if (!m_value)
      Misused("a refused file step's value was taken: " + m_refusal.Words());
    return *m_value;
  }
  const T& Value() const { return const_cast<FileResult*>(this)->Value(); }

  std::optional<T> m_value;
  FileRefusal m_refusal;
};

}  // namespace zarneth

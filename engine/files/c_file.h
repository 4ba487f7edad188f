#pragma once

#include <cstdint>
#include <string>

#include "file_exception.h"
#include "file_refusal.h"
#include "held_folder.h"

namespace zarneth {

// System error numbers the engine reports by itself, in the platform's own numbering (errno
// values on POSIX, GetLastError() values on Windows).
extern const int kErrorIo;  // data that should be there could not be read

// The largest length of a file a run works with: its offsets are 32-bit.
inline constexpr std::uint64_t kMaxFileLength = 0xFFFFFFFFu;

// Which file an open CFile is, whatever name reached it: the same identity under two
// roles of a run means one file named twice.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// One regular file held open and locked for the length of a run. POSIX: flock locks, shared
// for reading, exclusive for writing. Windows: share modes, reading shared with readers only,
// writing shared with nobody. A failed open is a refusal (FileStatus); every failure
// after that (read, write, sync, close) throws CFileException. The destructor closes the file
// on every way out and never throws.
class CFile {
 public:
  enum OpenFlags : unsigned {
    modeRead = 0x0000,
    modeReadWrite = 0x0002,
    shareExclusive = 0x0010,  // with modeRead: lock out readers too, as a writer does
  };

  CFile() = default;
  ~CFile();
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // Opens an existing regular file. modeRead takes a shared lock, so several runs may read
  // one file at once; modeReadWrite (and shareExclusive) an exclusive one, so nobody reads
  // what is being written. Refused: a missing file, a directory,
  // device, FIFO or socket, a file without any write bit for modeReadWrite (even for root),
  // and a file whose lock another open holds (through any name to it).
  // The path is walked as ResolveEntry walks it.
  FileStatus Open(const std::string& path, unsigned flags);
  // The same for the entry `name` of a folder the run holds, refusing a symbolic link in its
  // place; `path` names the file in messages.
  FileStatus OpenAt(const HeldFolder& folder, const std::string& name, const std::string& path,
                    unsigned flags);

  // Length in bytes; a run refuses files longer than kMaxFileLength.
  std::uint64_t GetLength() const;
  // How many names (hard links) the file has.
  std::uint64_t GetLinkCount() const;
  // Whether the user running owns the file.
  bool IsOwnedByCaller() const;
  // Whether its group or everyone may write it (POSIX mode bits); never on Windows, whose
  // access lists say it only to a try.
  bool MayBeWrittenByOthers() const;

  // Reads up to `count` bytes at `offset`; fewer only at the end of the file.
  std::uint32_t ReadAt(std::uint64_t offset, void* buffer, std::uint32_t count);
  // Writes all `count` bytes at `offset`, extending the file as needed.
  void WriteAt(std::uint64_t offset, const void* buffer, std::uint32_t count);

  // Flushes the file's data and size to the disk.
  void Sync();
  void Close();
  // Closes without throwing, for a way out that is already an error.
  void Abort();

  // Whether the file is marked read-only: no write bit at all (POSIX), the read-only
  // attribute (Windows).
  bool IsReadOnly() const;
  // The permission bits a copy of the file is made with, as cp makes it: read, write and
  // execute for owner, group and others, without the set-id and sticky bits (POSIX); 0444
  // or 0666 by the read-only attribute (Windows, where they mean no more than that).
  unsigned GetPermissions() const;
  // Takes away the permission bits that `permissions` does not have (POSIX): a new file is
  // written with its owner's read and write bits, and loses those its model lacks at the end.
  // Nothing on Windows, nor where the file system holds no mode (FAT): the file keeps what
  // it gives.
  void RestrictPermissions(unsigned permissions);
  // Gives this file the owner and group, then the extended attributes and ACLs (and no ACL
  // where `model` has none), then the permission bits with the set-id bits of `model`
  // (POSIX), or its security descriptor (Windows), so that a file written in its place looks
  // the same to everyone. Writing clears set-id bits and file capabilities again, so a run
  // takes them once more after its last write. Refused where something could not be kept (a
  // caller who may not give the file away, an attribute only the superuser may set).
  FileStatus TakeAccessFrom(const CFile& model);
  // Whether a new file could take this file's access, as TakeAccessFrom would find, told
  // without trying (for a dry run).
  FileStatus AccessCanBeTaken() const;

  bool IsOpen() const { return m_handle != kNoHandle; }
  const std::string& GetFilePath() const { return m_path; }
  FileIdentity GetIdentity() const { return m_identity; }
  // The system's handle (a descriptor or a HANDLE), for the platform's own copy.
  SystemHandle GetHandle() const { return m_handle; }

  // Throws CFileException for this file.
  [[noreturn]] void Fail(FileAction action, int error, const std::string& detail = {}) const;

 private:
  friend class TemporaryFile;

  // How an open handle is held: read beside other readers, read with everyone else kept out,
  // or written (no one else may read or write).
  enum class Holding { SharedRead, ExclusiveRead, Write };
  // Takes an open handle as this file, once it is a regular file that `holding` may use;
  // POSIX takes the lock here, Windows took it with the share mode of the open.
  FileStatus Adopt(SystemHandle handle, const std::string& path, Holding holding);
  // How Open's flags hold the file: modeReadWrite writes; shareExclusive reads alone.
  static Holding HoldingFor(unsigned flags);

  SystemHandle m_handle = kNoHandle;
  std::string m_path;
  FileIdentity m_identity;
};

// The system's text for an error number, e.g. "No such file or directory" (strerror on
// POSIX, FormatMessageW on Windows).
std::string SystemErrorText(int error);

}  // namespace zarneth

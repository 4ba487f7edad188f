#pragma once

#include <stdexcept>
#include <string>
#include <system_error>

namespace zarneth {

// What could not be done to a file. Each is told in a sentence of its own, so that a
// translator writes the sentence a user reads.
enum class FileAction {
  Read,
  Write,
  Sync,
  Close,
  GetLength,
  GetAttributes,
  SetAttributes,
  CountNames,
  GetOwner,
  SetOwner,
  GetPermissions,
  SetPermissions,
  ListExtendedAttributes,
  ReadExtendedAttribute,  // the attribute's name is the detail
  SetExtendedAttribute,   // the attribute's name is the detail
  RemoveAccessList,
  Create,
  Replace,
  SyncFolder,
  NameNewContent,
  KeepNewContent,
  RemoveTrialName,  // the trial name is the detail
  KeepBackup,
  KeepAccess,
};

// A failure of a file that is already open: what could not be done, the quoted path and the
// system's error text, e.g. "cannot write file 'out.bin': No space left on device". A run
// lets it escape with every file as it was; the dialog and zarneth-cli report its text.
class CFileException : public std::runtime_error {
 public:
  CFileException(FileAction action, const std::string& path, int error,
                 const std::string& detail = {});
  // With the run's own reason in place of a system error's text; code() is then empty.
  CFileException(FileAction action, const std::string& path, const std::string& reason,
                 const std::string& detail = {});

  // The system's error (errno on POSIX, GetLastError() on Windows), for a caller that tells
  // failures apart by kind rather than by text.
  const std::error_code& code() const noexcept { return m_code; }

 private:
  std::error_code m_code;
};

}  // namespace zarneth

#pragma once

#include <stdexcept>
#include <string>
#include <system_error>

namespace zarneth {

// A failure of a file that is already open: names the operation, the quoted path and the
// system's error text, e.g. "cannot write file 'out.bin': No space left on device". A run
// lets it escape with every file as it was; the dialog and zarneth-cli report its text.
class CFileException : public std::runtime_error {
 public:
  CFileException(const std::string& operation, const std::string& path, int error);
  // With the run's own reason in place of a system error's text; code() is then empty.
  CFileException(const std::string& operation, const std::string& path, const std::string& reason);

  // The system's error (errno on POSIX, GetLastError() on Windows), for a caller that tells
  // failures apart by kind rather than by text.
  const std::error_code& code() const noexcept { return m_code; }

 private:
  std::error_code m_code;
};

}  // namespace zarneth

#pragma once

#include <stdexcept>
#include <string>

namespace zarneth {

// A failure of a file that is already open: names the operation, the quoted path and the
// system's error text, e.g. "cannot write file 'out.bin': No space left on device". A run
// lets it escape with every file as it was; the dialog and zarneth-cli report its text.
class CFileException : public std::runtime_error {
 public:
  CFileException(const std::string& operation, const std::string& path, int error);
  // With the run's own reason in place of a system error's text.
  CFileException(const std::string& operation, const std::string& path, const std::string& reason);
};

}  // namespace zarneth

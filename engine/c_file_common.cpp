// The parts of CFile that are the same on every platform.
#include "c_file.h"

#include "quoted_name.h"

namespace zarneth {

CFileException::CFileException(std::string operation, std::string path, int error)
    : CFileException(std::move(operation), std::move(path), SystemErrorText(error)) {
  m_error = error;
}

CFileException::CFileException(std::string operation, std::string path, const std::string& reason)
    : std::runtime_error("cannot " + operation + " file " + QuotedName(path) + ": " + reason),
      m_path(std::move(path)),
      m_error(0) {}

CFile::~CFile() {
  Abort();
}

bool CFile::Refuse(std::string* whyNot, std::string reason) {
  if (whyNot)
    *whyNot = std::move(reason);
  return false;
}

void CFile::Fail(const std::string& operation, int error) const {
  throw CFileException(operation, m_path, error);
}

}  // namespace zarneth

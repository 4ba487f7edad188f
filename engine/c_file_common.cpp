// The parts of CFile that are the same on every platform.
#include "c_file.h"

namespace zarneth {

CFileException::CFileException(std::string operation, std::string path, int error)
    : std::runtime_error("cannot " + operation + " file " + path + ": " + SystemErrorText(error)),
      m_path(std::move(path)),
      m_error(error) {}

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

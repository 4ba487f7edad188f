// The parts of CFile that are the same on every platform.
#include "c_file.h"

#include "file_system.h"
#include "quoted_name.h"
#include "words.h"

namespace zarneth {

CFileException::CFileException(const std::string& operation, const std::string& path, int error)
    : CFileException(operation, path, SystemErrorText(error)) {
  m_code = std::error_code(error, std::system_category());
}

CFileException::CFileException(const std::string& operation, const std::string& path,
                               const std::string& reason)
    // TRANSLATORS: %1$s is what could not be done, from a list of its own ("open for
    // reading", "write", "sync the folder of"), %2$s the file, %3$s why.
    : std::runtime_error(
          TrFill("cannot %s file %s: %s", {Tr(operation.c_str()), QuotedName(path), reason})) {}

CFile::~CFile() {
  Abort();
}

CFile::Holding CFile::HoldingFor(unsigned flags) {
  if ((flags & modeReadWrite) != 0)
    return Holding::Write;
  return (flags & shareExclusive) != 0 ? Holding::ExclusiveRead : Holding::SharedRead;
}

FileStatus CFile::Open(const std::string& path, unsigned flags) {
  if (IsOpen())
    return FileRefusal{.kind = FileRefusal::Kind::AlreadyOpen};
  if (path.empty())
    return FileRefusal{.kind = FileRefusal::Kind::NoPath};
  // Links are followed only as far as the rule on links allows, in the folder part as at the
  // end; the file is then opened in the folder the walk holds.
  const auto entry = ResolveEntry(path, FinalLink::MayDangle);
  if (!entry)
    return entry.Refusal();
  return OpenAt(entry->folder, entry->name, path, flags);
}

void CFile::Fail(const std::string& operation, int error) const {
  throw CFileException(operation, m_path, error);
}

}  // namespace zarneth

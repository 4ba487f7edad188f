// The parts of CFile that are the same on every platform.
#include "c_file.h"

#include "file_system.h"
#include "quoted_name.h"
#include "words.h"

namespace zarneth {

namespace {

// The sentence that tells what could not be done to `file` and why.
std::string FileActionSentence(FileAction action, const std::string& file,
                               const std::string& detail, const std::string& reason) {
  switch (action) {
    case FileAction::Read:
      // TRANSLATORS: %1$s is the file, %2$s why ("No space left on device").
      return TrFill("cannot read file %1$s: %2$s", {file, reason});
    case FileAction::Write:
      // TRANSLATORS: %1$s is the file, %2$s why ("No space left on device").
      return TrFill("cannot write file %1$s: %2$s", {file, reason});
    case FileAction::Sync:
      // TRANSLATORS: %1$s is the file, %2$s why ("No space left on device").
      return TrFill("cannot sync file %1$s: %2$s", {file, reason});
    case FileAction::Close:
      // TRANSLATORS: %1$s is the file, %2$s why ("No space left on device").
      return TrFill("cannot close file %1$s: %2$s", {file, reason});
    case FileAction::GetLength:
      // TRANSLATORS: %1$s is the file, %2$s why ("No space left on device").
      return TrFill("cannot get the length of file %1$s: %2$s", {file, reason});
    case FileAction::GetAttributes:
      // TRANSLATORS: %1$s is the file, %2$s why ("No space left on device").
      return TrFill("cannot get the attributes of file %1$s: %2$s", {file, reason});
    case FileAction::SetAttributes:
      // TRANSLATORS: %1$s is the file, %2$s why ("No space left on device").
      return TrFill("cannot set the attributes of file %1$s: %2$s", {file, reason});
    case FileAction::CountNames:
      // TRANSLATORS: %1$s is the file, %2$s why ("No space left on device").
      return TrFill("cannot count the names of file %1$s: %2$s", {file, reason});
    case FileAction::GetOwner:
      // TRANSLATORS: %1$s is the file, %2$s why ("No space left on device").
      return TrFill("cannot get the owner of file %1$s: %2$s", {file, reason});
    case FileAction::SetOwner:
      // TRANSLATORS: %1$s is the file, %2$s why ("No space left on device").
      return TrFill("cannot set the owner of file %1$s: %2$s", {file, reason});
    case FileAction::GetPermissions:
      // TRANSLATORS: %1$s is the file, %2$s why ("No space left on device").
      return TrFill("cannot get the permissions of file %1$s: %2$s", {file, reason});
    case FileAction::SetPermissions:
      // TRANSLATORS: %1$s is the file, %2$s why ("No space left on device").
      return TrFill("cannot set the permissions of file %1$s: %2$s", {file, reason});
    case FileAction::ListExtendedAttributes:
      // TRANSLATORS: %1$s is the file, %2$s why ("No space left on device").
      return TrFill("cannot list the extended attributes of file %1$s: %2$s", {file, reason});
    case FileAction::RemoveAccessList:
      // TRANSLATORS: %1$s is the file, %2$s why ("No space left on device").
      return TrFill("cannot remove the folder's access list from file %1$s: %2$s", {file, reason});
    case FileAction::Create:
      // TRANSLATORS: %1$s is the file, %2$s why ("No space left on device").
      return TrFill("cannot create file %1$s: %2$s", {file, reason});
    case FileAction::Replace:
      // TRANSLATORS: %1$s is the file, %2$s why ("No space left on device").
      return TrFill("cannot replace file %1$s: %2$s", {file, reason});
    case FileAction::SyncFolder:
      // TRANSLATORS: %1$s is the file, %2$s why ("No space left on device").
      return TrFill("cannot sync the folder of file %1$s: %2$s", {file, reason});
    case FileAction::NameNewContent:
      // TRANSLATORS: %1$s is the file, %2$s why ("No space left on device").
      return TrFill("cannot name the new content of file %1$s: %2$s", {file, reason});
    case FileAction::KeepNewContent:
      // TRANSLATORS: %1$s is the file, %2$s why ("No space left on device").
      return TrFill("cannot keep the new content of file %1$s: %2$s", {file, reason});
    case FileAction::KeepBackup:
      // TRANSLATORS: %1$s is the file, %2$s why ("No space left on device").
      return TrFill("cannot keep a backup of file %1$s: %2$s", {file, reason});
    case FileAction::KeepAccess:
      // TRANSLATORS: %1$s is the file, %2$s why ("No space left on device").
      return TrFill("cannot keep the access of file %1$s: %2$s", {file, reason});
    case FileAction::ReadExtendedAttribute:
      // TRANSLATORS: %1$s is an extended attribute's name, %2$s the file, %3$s why.
      return TrFill("cannot read the extended attribute %1$s of file %2$s: %3$s",
                    {detail, file, reason});
    case FileAction::SetExtendedAttribute:
      // TRANSLATORS: %1$s is an extended attribute's name, %2$s the file, %3$s why.
      return TrFill("cannot set the extended attribute %1$s of file %2$s: %3$s",
                    {detail, file, reason});
    case FileAction::RemoveTrialName:
      // TRANSLATORS: %1$s is a name tried beside the file, %2$s the file, %3$s why.
      return TrFill("cannot remove the trial name %1$s of file %2$s: %3$s", {detail, file, reason});
  }
  return reason;
}

}  // namespace

CFileException::CFileException(FileAction action, const std::string& path, int error,
                               const std::string& detail)
    : CFileException(action, path, SystemErrorText(error), detail) {
  m_code = std::error_code(error, std::system_category());
}

CFileException::CFileException(FileAction action, const std::string& path,
                               const std::string& reason, const std::string& detail)
    : std::runtime_error(FileActionSentence(action, QuotedName(path), detail, reason)) {}

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
    return entry.Why();
  return OpenAt(entry->folder, entry->name, path, flags);
}

void CFile::Fail(FileAction action, int error, const std::string& detail) const {
  throw CFileException(action, m_path, error, detail);
}

}  // namespace zarneth

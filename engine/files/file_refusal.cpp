#include "file_refusal.h"

#include "c_file.h"
#include "file_paths.h"
#include "quoted_name.h"
#include "save_file.h"

namespace zarneth {

namespace {

std::string ToLong(const std::string& what, const char* verb) {
  return what + " " + verb + " longer than the " + std::to_string(kMaxNameBytes) +
         " characters a file name may have";
}

}  // namespace

std::string FileRefusal::Words() const {
  std::string words = KindWords();
  if (!folder.empty())
    words = "its folder " + QuotedName(folder) + " does not take a new file (" + words + ")";
  if (advice == Advice::PatchedCopy)
    words += "; write a patched copy instead";
  else if (advice == Advice::OtherName)
    words += "; write the copy under another name";
  return words;
}

std::string FileRefusal::KindWords() const {
  const std::string names = "it has " + std::to_string(count) +
                            " names (hard links), and the others would keep the old bytes; ";
  switch (kind) {
    case Kind::System:
      return SystemErrorText(error);
    case Kind::Device:
      return "it is a device, not a regular file";
    case Kind::LinkToNothing:
      return "it is a symbolic link to a file that does not exist";
    case Kind::SharedFolderLink:
      return (file.empty() ? std::string("it is a symbolic link")
                           : "it leads through the symbolic link " + QuotedName(file)) +
             " in a folder shared by all, owned by another user; the system follows such links "
             "only for their owner";
    case Kind::ForeignLink:
      return (file.empty() ? std::string("it is a link")
                           : "it leads through the link " + QuotedName(file)) +
             " owned by another user, who does not own its folder either; such links are "
             "followed only for their owner or the folder's";
    case Kind::FileImmutable:
      return "the file is marked immutable (chattr +i), so nobody may change it";
    case Kind::FileAppendOnly:
      return "the file is marked append-only (chattr +a), so nobody may replace it";
    case Kind::FolderImmutable:
      return "its folder is marked immutable (chattr +i), so nobody may change it";
    case Kind::FolderAppendOnly:
      return "its folder is marked append-only (chattr +a), so nobody may replace it";
    case Kind::AlreadyOpen:
      return "this file object is already open";
    case Kind::NoPath:
      return "no path given";
    case Kind::Folder:
      return "Is a directory";
    case Kind::Fifo:
      return "it is a FIFO, not a regular file";
    case Kind::Pipe:
      return "it is a pipe, not a regular file";
    case Kind::OtherKind:
      return "it is not a regular file";
    case Kind::Link:
      return "it is a symbolic link, not the file itself";
    case Kind::ReadOnly:
      return "the file is read-only";
    case Kind::InUse:
      return "the file is in use (held open by a run)";
    case Kind::Replaced:
      return "it was replaced by another file while the run opened it";
    case Kind::OtherOwner:
      return "it belongs to another user or group, and only they or the superuser can keep it "
             "theirs when it is written anew";
    case Kind::PrivilegedAttribute:
      return "its extended attribute " + file + (detail.empty() ? "" : " (" + detail + ")") +
             " can be given to a new file only by " +
             (detail.empty() ? "a caller the system's security policy allows" : "the superuser");
    case Kind::NoTemporaryName:
      return "no unused temporary name in the folder";
    case Kind::NoIdentity:
      return "the system cannot tell which file it is (" + SystemErrorText(error) + ")";
    case Kind::NameTooLong:
      return ToLong("its name", "is");
    case Kind::BackupNameTooLong:
      return ToLong("its backup's name " + QuotedName(file), "would be");
    case Kind::Exists:
      return "it exists, and the run was asked to keep existing files (no clobber)";
    case Kind::HardLinks:
      return names + "write a patched copy instead";
    case Kind::HardLinksBackup:
      return names + QuotedName(file) +
             " is the same file, a backup that a stopped run left: keep it as the backup with "
             "--backup, or remove it";
    case Kind::HardLinksTrial:
      return names + QuotedName(file) +
             " is the same file, a trial name that a stopped run left: remove it";
    case Kind::NoSecondNames:
      return std::string(
                 "its file system does not give a file a second name (a hard link), "
                 "which the backup is") +
             (error ? " (" + SystemErrorText(error) + ")" : "");
    case Kind::EveryBackupNameTaken:
      return "every backup name up to .bak." + std::to_string(SaveFile::kBackupNames - 1) +
             " is taken";
    case Kind::CannotKeepExisting:
      return "its file system can neither rename without replacing nor give a file a second "
             "name, so an existing file could not be kept for certain (no clobber)";
    case Kind::Unconfirmed:
      return "the new content is in place in " + QuotedName(file) +
             ", but the system did not confirm that it is on the disk (" + detail + ")";
    case Kind::ProcLinkToFile:
      return "it is a link of the /proc file system to a file, which need not be the file its "
             "text names; give the file's own path";
  }
  return SystemErrorText(error);
}

}  // namespace zarneth

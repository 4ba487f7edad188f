#include "file_refusal.h"

#include "c_file.h"
#include "quoted_name.h"

namespace zarneth {

std::string FileRefusal::Words() const {
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
    case Kind::ProcLinkToFile:
      return "it is a link of the /proc file system to a file, which need not be the file its "
             "text names; give the file's own path";
  }
  return SystemErrorText(error);
}

}  // namespace zarneth

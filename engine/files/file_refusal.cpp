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
    case Kind::ProcLinkToFile:
      return "it is a link of the /proc file system to a file, which need not be the file its "
             "text names; give the file's own path";
  }
  return SystemErrorText(error);
}

}  // namespace zarneth

#include "file_refusal.h"

#include "c_file.h"
#include "file_paths.h"
#include "quoted_name.h"
#include "save_file.h"
#include "words.h"

namespace zarneth {

namespace {

std::string Number(std::uint64_t value) {
  return std::to_string(value);
}

// "it has 3 names (hard links), and the others would keep the old bytes; " and what to do.
std::string Names(std::uint64_t count, const std::string& then) {
  // TRANSLATORS: %1$s is a count of further names, %2$s advice.
  return Fill(TrPlural("it has %s name (hard link), and the others would keep the old bytes; %s",
                       "it has %s names (hard links), and the others would keep the old bytes; %s",
                       static_cast<unsigned long>(count)),
              {Number(count), then});
}

}  // namespace

std::string FileRefusal::Words() const {
  std::string words = KindWords();
  if (!folder.empty())
    // TRANSLATORS: %1$s is a folder, %2$s why.
    words = TrFill("its folder %s does not take a new file (%s)", {QuotedName(folder), words});
  if (advice == Advice::PatchedCopy)
    words = TrFill("%s; write a patched copy instead", {words});
  else if (advice == Advice::OtherName)
    words = TrFill("%s; write the copy under another name", {words});
  return words;
}

std::string FileRefusal::KindWords() const {
  switch (kind) {
    case Kind::System:
      return SystemErrorText(error);
    case Kind::Device:
      return Tr("it is a device, not a regular file");
    case Kind::LinkToNothing:
      return Tr("it is a symbolic link to a file that does not exist");
    case Kind::SharedFolderLink:
      if (file.empty())
        return Tr(
            "it is a symbolic link in a folder shared by all, owned by another user; the system "
            "follows such links only for their owner");
      return TrFill(
          "it leads through the symbolic link %s in a folder shared by all, owned by another "
          "user; the system follows such links only for their owner",
          {QuotedName(file)});
    case Kind::ForeignLink:
      if (file.empty())
        return Tr(
            "it is a link owned by another user, who does not own its folder either; such links "
            "are followed only for their owner or the folder's");
      return TrFill(
          "it leads through the link %s owned by another user, who does not own its folder "
          "either; such links are followed only for their owner or the folder's",
          {QuotedName(file)});
    case Kind::FileImmutable:
      return Tr("the file is marked immutable (chattr +i), so nobody may change it");
    case Kind::FileAppendOnly:
      return Tr("the file is marked append-only (chattr +a), so nobody may replace it");
    case Kind::FolderImmutable:
      return Tr("its folder is marked immutable (chattr +i), so nobody may change it");
    case Kind::FolderAppendOnly:
      return Tr("its folder is marked append-only (chattr +a), so nobody may replace it");
    case Kind::AlreadyOpen:
      return Tr("this file object is already open");
    case Kind::NoPath:
      return Tr("no path given");
    case Kind::Folder:
      return Tr("Is a directory");
    case Kind::Fifo:
      return Tr("it is a FIFO, not a regular file");
    case Kind::Pipe:
      return Tr("it is a pipe, not a regular file");
    case Kind::OtherKind:
      return Tr("it is not a regular file");
    case Kind::Link:
      return Tr("it is a symbolic link, not the file itself");
    case Kind::ReadOnly:
      return Tr("the file is read-only");
    case Kind::InUse:
      return Tr("the file is in use (held open by a run)");
    case Kind::Replaced:
      return Tr("it was replaced by another file while the run opened it");
    case Kind::OtherOwner:
      return Tr(
          "it belongs to another user or group, and only they or the superuser can keep it "
          "theirs when it is written anew");
    case Kind::PrivilegedAttribute:
      if (detail.empty())
        return TrFill(
            "its extended attribute %s can be given to a new file only by a caller the system's "
            "security policy allows",
            {file});
      return TrFill(
          // TRANSLATORS: %1$s is an attribute's name, %2$s its kind.
          "its extended attribute %s (%s) can be given to a new file only by the superuser",
          {file, detail});
    case Kind::NoTemporaryName:
      return Tr("no unused temporary name in the folder");
    case Kind::NoIdentity:
      return TrFill("the system cannot tell which file it is (%s)", {SystemErrorText(error)});
    case Kind::NameTooLong:
      return TrFill("its name is longer than the %s characters a file name may have",
                    {Number(kMaxNameBytes)});
    case Kind::BackupNameTooLong:
      return TrFill(
          // TRANSLATORS: %1$s is a file name, %2$s a count.
          "its backup's name %s would be longer than the %s characters a file name may have",
          {QuotedName(file), Number(kMaxNameBytes)});
    case Kind::Exists:
      return Tr("it exists, and the run was asked to keep existing files (no clobber)");
    case Kind::HardLinks:
      return Names(count, Tr("write a patched copy instead"));
    case Kind::HardLinksBackup:
      return Names(count, TrFill("%s is the same file, a backup that a stopped run left: keep it "
                                 "as the backup with --backup, or remove it",
                                 {QuotedName(file)}));
    case Kind::HardLinksTrial:
      return Names(count,
                   TrFill("%s is the same file, a trial name that a stopped run left: remove it",
                          {QuotedName(file)}));
    case Kind::NoSecondNames:
      if (error == 0)
        return Tr(
            "its file system does not give a file a second name (a hard link), which the "
            "backup is");
      return TrFill(
          "its file system does not give a file a second name (a hard link), which the backup "
          "is (%s)",
          {SystemErrorText(error)});
    case Kind::EveryBackupNameTaken:
      return TrFill("every backup name up to .bak.%s is taken",
                    {Number(SaveFile::kBackupNames - 1)});
    case Kind::CannotKeepExisting:
      return Tr(
          "its file system can neither rename without replacing nor give a file a second name, "
          "so an existing file could not be kept for certain (no clobber)");
    case Kind::Unconfirmed:
      return TrFill(
          // TRANSLATORS: %1$s is the file, %2$s the system's reason.
          "the new content is in place in %s, but the system did not confirm that it is on the "
          "disk (%s)",
          {QuotedName(file), detail});
    case Kind::ProcLinkToFile:
      return Tr(
          "it is a link of the /proc file system to a file, which need not be the file its text "
          "names; give the file's own path");
  }
  return SystemErrorText(error);
}

}  // namespace zarneth

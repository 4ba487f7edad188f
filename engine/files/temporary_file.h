#pragma once

#include <string>

#include "c_file.h"
#include "file_refusal.h"
#include "held_folder.h"

namespace zarneth {

// The new file a save file writes, in the destination's folder, that no other program can
// find, open or mistake for its own while it is written. Linux: an anonymous file
// (O_TMPFILE), so a killed run leaves nothing; where the folder's file system has no such
// files, a named one, ".<name>.zarneth-XXXXXX.tmp". Windows: a hidden file of that name
// marked for deletion on close, so a killed run leaves nothing there either. It becomes
// visible under the final name only through the save file's rename.
class TemporaryFile {
 public:
  TemporaryFile() = default;
  ~TemporaryFile() { Discard(); }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  // Creates it in the held folder of `destination`, beside the name it is to take, with POSIX
  // permission bits `permissions`; refused as the system refuses it. The file's path in
  // messages is the destination's: it is what the user asked to write. The entry must
  // outlive it.
  FileStatus Create(const HeldEntry& destination, unsigned permissions);

  CFile& File() { return m_file; }

  // Gives it a hidden name of its own in the folder, ready to be renamed over the final name
  // (Linux: links the anonymous file; Windows: lifts the deletion on close and takes the
  // attributes of `replaced`, the file it is to replace, if any), and returns that name.
  // Throws CFileException.
  const std::string& GiveName(const CFile* replaced);

  // Whether the file has no name at all yet (an anonymous file, Linux).
  bool IsAnonymous() const { return m_file.IsOpen() && m_name.empty(); }
  // Gives the anonymous file the name `name` in the folder directly, only while nothing has
  // that name (refused with EEXIST then). The file is then the one under `name`, which
  // Discard removes unless it was placed.
  FileStatus NameAs(const std::string& name);

  // Shows that the folder's file system truly gives this file a further name (FUSE file
  // systems say they link and may not), before the commit gives the image its backup name,
  // without giving any other file a second name. Linux: an anonymous file takes its hidden
  // name now, the one the commit gives it anyway; a named one is linked under a second
  // hidden name that is removed at once (a name a killed run's sweep removes too). A second name
  // that cannot be removed again throws CFileException: nothing the run made may stay behind.
  // Windows, which removes no name of a file held open, trusts what the file system says
  // (FolderHasHardLinks).
  FileStatus ProveFurtherName();

  // The rename took place: the file is the destination now, nothing of it is to be removed.
  void Placed() { m_placed = true; }
  bool IsPlaced() const { return m_placed; }
  // Whether Create made it and it is open still.
  bool IsCreated() const { return m_file.IsOpen(); }

  // Removes it, its name too if it has one, unless it was placed; never throws.
  void Discard() noexcept;

 private:
  CFile m_file;
  const HeldFolder* m_folder = nullptr;
  std::string m_finalName;
  std::string m_name;  // in the folder; empty while the file has no name of its own
  bool m_placed = false;
};

}  // namespace zarneth

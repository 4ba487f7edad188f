#pragma once

#include <optional>
#include <string>

#include "c_file.h"

namespace zarneth {

// A new file (a patched copy, a cut) that appears whole or not at all, in the manner of
// Qt's QSaveFile: the bytes go to a hidden temporary file in the destination's folder;
// Commit() syncs it, renames it over the destination and syncs the folder. Destroyed without
// Commit(), it removes the temporary file and the destination is exactly as it was.
class SaveFile {
 public:
  SaveFile() = default;
  ~SaveFile();
  SaveFile(const SaveFile&) = delete;
  SaveFile& operator=(const SaveFile&) = delete;

  // Checks the destination before anything is written: a new name in an existing folder, or
  // a regular file with a write bit, which is then held exclusively until the commit so that
  // no other run reads or writes it meanwhile. A symbolic link leads to the file to replace;
  // a dangling one is refused.
  bool Prepare(const std::string& path, std::string* whyNot);

  // The existing destination, held since Prepare; none for a new name.
  CFile* Existing() { return m_existing.IsOpen() ? &m_existing : nullptr; }

  // Removes temporary files that earlier, killed runs left in the folder (those nobody holds)
  // and creates this run's own, with the existing destination's permission bits and owner.
  bool Begin(std::string* whyNot);

  // The temporary file to write, from Begin on.
  CFile& File() { return m_temp; }

  // The last safe point, then: sync, rename over the destination, sync the folder.
  void Commit();

 private:
  std::string m_finalPath;
  std::string m_tempPath;
  CFile m_existing;
  CFile m_temp;
  bool m_committed = false;
};

// Removes the save file's temporary files in `folder` that no run holds any more.
void RemoveStaleTemporaries(const std::string& folder);

}  // namespace zarneth

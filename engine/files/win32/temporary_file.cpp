#include "temporary_file.h"

#include <windows.h>

#include "file_information.h"
#include "file_paths.h"
#include "file_system.h"
#include "wide_text.h"
#include "win32_calls.h"
#include "words.h"

namespace zarneth {

FileStatus TemporaryFile::Create(const HeldEntry& destination, unsigned) {
  const HeldFolder& folder = destination.folder;
  const std::string& finalName = destination.name;
  const std::string& finalPath = destination.path;
  m_folder = &folder;
  m_finalName = finalName;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = TemporaryNameFor(finalName);
    // Shared for deletion only, so that it can be renamed into place while still held.
    const HANDLE handle =
        sys::OpenIn(reinterpret_cast<HANDLE>(folder.Handle()), WideFromUtf8(name),
                    {GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, FILE_CREATE,
                     FILE_NON_DIRECTORY_FILE, FILE_ATTRIBUTE_HIDDEN});
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        continue;
      return FileStatus::SystemError(static_cast<int>(error));
    }
    if (FileStatus adopted =
            m_file.Adopt(reinterpret_cast<SystemHandle>(handle), finalPath, CFile::Holding::Write);
        !adopted) {
      static_cast<void>(RemoveFile(folder, name));  // made by this run, never held by another
      return adopted;
    }
    m_name = name;
    // Gone with the last handle, a killed run's included, until the commit lifts the mark.
    // A file system that cannot mark it keeps the name, which the next run then cleans.
    sys::SetDeleteOnClose(handle, true);
    return {};
  }
  return FileRefusal{.kind = FileRefusal::Kind::NoTemporaryName};
}

// Every temporary here has its hidden name from the start; none is anonymous.
FileStatus TemporaryFile::NameAs(const std::string&) {
  return FileStatus::SystemError(ERROR_NOT_SUPPORTED);
}

FileStatus TemporaryFile::ProveFurtherName() {
  if (FolderHasHardLinks(*m_folder))
    return {};
  return FileStatus::SystemError(ERROR_NOT_SUPPORTED);
}

const std::string& TemporaryFile::GiveName(const CFile* replaced) {
  const HANDLE handle = reinterpret_cast<HANDLE>(m_file.GetHandle());
  FILE_BASIC_INFO basic{};  // times of 0 stay as they are
  basic.FileAttributes = replaced ? KeptAttributes(*replaced) : FILE_ATTRIBUTE_NORMAL;
  if (!sys::SetBasicInfo(handle, basic))
    m_file.Fail(FileAction::SetAttributes, static_cast<int>(::GetLastError()));
  // The last step before the rename: from here a killed run would leave the file named.
  if (!sys::SetDeleteOnClose(handle, false))
    m_file.Fail(FileAction::KeepNewContent, static_cast<int>(::GetLastError()));
  return m_name;
}

void TemporaryFile::Discard() noexcept {
  if (!m_placed && !m_name.empty())
    static_cast<void>(RemoveFile(*m_folder, m_name));  // shared for deletion: gone with the handle
  m_name.clear();
  m_file.Abort();
}

}  // namespace zarneth

#include "file_system.h"

#include <windows.h>

#include <cwchar>
#include <filesystem>

#include "device_names.h"
#include "file_information.h"
#include "file_paths.h"
#include "wide_text.h"
#include "win32_calls.h"

namespace zarneth {
namespace {

// A handle on a file or folder that stands in no one's way (every sharing allowed): with no
// `access`, for asking about it without reading it; with GENERIC_WRITE, for flushing a
// folder. With `flags` FILE_FLAG_OPEN_REPARSE_POINT, about a link itself.
HANDLE OpenToAsk(const std::wstring& path, DWORD access = 0, DWORD flags = 0) {
  return ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
}

// "\\?\C:\x" -> "C:\x", "\\?\UNC\server\x" -> "\\server\x".
std::wstring WithoutLongPrefix(const std::wstring& path) {
  if (path.starts_with(L"\\\\?\\UNC\\"))
    return L"\\\\" + path.substr(8);
  if (path.starts_with(L"\\\\?\\"))
    return path.substr(4);
  return path;
}

// The path of the file a name leads to, the system's links followed; for a new name, the
// name itself. Refused for a device or a dangling link.
FileResult<std::string> FinalPath(const std::string& path) {
  if (IsDeviceName(path))
    return FileRefusal{.kind = FileRefusal::Kind::Device, .file = path};
  const std::wstring systemPath = SystemPath(path);
  const HANDLE handle = OpenToAsk(systemPath);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD attributes = ::GetFileAttributesW(systemPath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
      return FileRefusal{.kind = FileRefusal::Kind::LinkToNothing, .file = path};
    return path;
  }
  // A device (NUL, CON) is its own final name; the open refuses it later.
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    ::CloseHandle(handle);
    return path;
  }
  std::wstring final(MAX_PATH, L'\0');
  DWORD length = ::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()),
                                             FILE_NAME_NORMALIZED);
  if (length >= final.size()) {
    final.resize(length);
    length = ::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()),
                                         FILE_NAME_NORMALIZED);
  }
  ::CloseHandle(handle);
  if (length == 0 || length >= final.size())
    return path;
  final.resize(length);
  return Utf8FromWide(WithoutLongPrefix(final));
}

}  // namespace

void HeldFolder::Release() noexcept {
  if (IsHeld())
    ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
  m_handle = kNoHandle;
}

FileResult<HeldEntry> ResolveEntry(const std::string& path, FinalLink finalLink) {
  std::string resolved = path;
  if (finalLink == FinalLink::MustLead) {
    const auto final = FinalPath(path);
    if (!final)
      return final.Refusal();
    resolved = *final;
  }
  const std::string name = NameOf(resolved);
  const bool bare = name == resolved;
  const std::string folder = bare ? std::string() : FolderOf(resolved);
  // Held without sharing its deletion, the folder cannot be renamed or removed, and no link
  // can take its place, until the run lets go of it. Asking its attributes only, it is in no
  // one's way within it.
  const HANDLE handle = ::CreateFileW(SystemPath(bare ? "." : folder).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return FileRefusal{.kind = FileRefusal::Kind::System,
                       .error = static_cast<int>(::GetLastError()),
                       .file = path};
  return HeldEntry{HeldFolder(reinterpret_cast<SystemHandle>(handle), folder), name, resolved};
}

FileStatus FolderTakesNewFile(const HeldFolder&) {
  return {};
}

bool FolderHasHardLinks(const HeldFolder& held) {
  // By the file system's name: the FAT family has no hard links. (The volume's
  // FILE_SUPPORTS_HARD_LINKS flag is not to be trusted: Wine's drives lack it and link.)
  const std::string folder = held.Path().empty() ? "." : held.Path();
  std::wstring volume(MAX_PATH + 1, L'\0');
  std::wstring name(MAX_PATH + 1, L'\0');
  if (!::GetVolumePathNameW(WideFromUtf8(folder).c_str(), volume.data(), MAX_PATH + 1) ||
      !::GetVolumeInformationW(volume.c_str(), nullptr, 0, nullptr, nullptr, nullptr, name.data(),
                               MAX_PATH + 1))
    return true;  // unknown: the link itself will tell
  name.resize(std::wcslen(name.c_str()));
  return name != L"FAT" && name != L"FAT32" && name != L"exFAT";
}

bool FolderKeepsExistingNames(const HeldFolder&) {
  return true;  // a move that does not replace refuses an existing name everywhere
}

// The read-only attribute is refused at the open already; nothing else forbids a rename.
FileStatus RenameOverAllowed(const HeldFolder&, const CFile*) {
  return {};
}

bool NameFits(const std::string& name) {
  return WideFromUtf8(name).size() <= kMaxNameBytes;
}

FileStatus EntryWritable(const HeldFolder&, const std::string&, const CFile&) {
  return {};
}

bool EntryExists(const HeldFolder& folder, const std::string& name) {
  return ::GetFileAttributesW(SystemPath(folder.PathOf(name)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<FileIdentity> IdentityOf(const HeldFolder& folder, const std::string& name) {
  const HANDLE handle = OpenToAsk(SystemPath(folder.PathOf(name)), 0, FILE_FLAG_OPEN_REPARSE_POINT);
  if (handle == INVALID_HANDLE_VALUE)
    return std::nullopt;
  const auto identity = IdentityOfHandle(handle);
  ::CloseHandle(handle);
  return identity;
}

std::vector<std::string> NamesIn(const HeldFolder& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(
           PathFromUtf8(folder.Path().empty() ? "." : folder.Path()), error))
    names.push_back(Utf8FromPath(entry.path().filename()));
  return names;
}

FileStatus RemoveFile(const HeldFolder& folder, const std::string& name) {
  if (sys::Remove(SystemPath(folder.PathOf(name))))
    return {};
  return FileStatus::SystemError(static_cast<int>(::GetLastError()));
}

void RemoveHeldFile(CFile& file, const HeldFolder& folder, const std::string& name) {
  // Windows removes no file that is open without sharing its deletion.
  file.Abort();
  static_cast<void>(RemoveFile(folder, name));  // a name that cannot go is the next sweep's
}

void MoveIntoPlace(const HeldFolder& folder, const std::string& from, const std::string& to,
                   Placing placing, const std::string& path) {
  // Write-through: the call returns once the new name is on the disk. Without
  // MOVEFILE_REPLACE_EXISTING the system never replaces a file that has the name.
  const bool replaces = placing == Placing::Replace;
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replaces ? MOVEFILE_REPLACE_EXISTING : 0);
  if (!sys::Move(SystemPath(folder.PathOf(from)), SystemPath(folder.PathOf(to)), flags))
    throw CFileException(replaces ? "replace" : "create", path, static_cast<int>(::GetLastError()));
}

FileStatus LinkFile(const HeldFolder& folder, const std::string& from, const std::string& to) {
  if (sys::Link(SystemPath(folder.PathOf(from)), SystemPath(folder.PathOf(to))))
    return {};
  return FileStatus::SystemError(static_cast<int>(::GetLastError()));
}

bool IsNameTaken(const FileStatus& status) {
  return status.Error() == ERROR_ALREADY_EXISTS || status.Error() == ERROR_FILE_EXISTS;
}

void ReleaseBeforeReplace(CFile& file) {
  file.Abort();
}

void SyncFolder(const HeldFolder& held, const std::string& pathInFolder) {
  // NTFS keeps its folders in its own journal; flushing the folder's handle pushes that out
  // where the system allows it. Where it does not (no write access to the folder, a file
  // system without the call), the renames were already made durable by write-through.
  const HANDLE folder =
      OpenToAsk(SystemPath(held.Path().empty() ? "." : held.Path()), GENERIC_READ | GENERIC_WRITE);
  if (folder == INVALID_HANDLE_VALUE)
    return;
  const bool flushed = sys::Flush(folder) != 0;
  const DWORD error = flushed ? 0 : ::GetLastError();
  ::CloseHandle(folder);
  if (!flushed && error != ERROR_INVALID_FUNCTION && error != ERROR_ACCESS_DENIED)
    throw CFileException("sync the folder of", pathInFolder, static_cast<int>(error));
}

}  // namespace zarneth

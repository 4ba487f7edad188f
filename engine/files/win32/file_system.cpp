#include "file_system.h"

#include <windows.h>

#include <cwchar>
#include <optional>
#include <vector>

#include "device_names.h"
#include "file_information.h"
#include "file_paths.h"
#include "owned_handle.h"
#include "owners.h"
#include "wide_text.h"
#include "win32_calls.h"
#include "words.h"

namespace zarneth {
namespace {

constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The most links one path may lead through, as Linux allows.
constexpr int kMaxLinks = 40;

// What a name is, asked without reading it and in no one's way: the link itself, not what it
// leads to.
const OpenInFolder kAsk{FILE_READ_ATTRIBUTES | READ_CONTROL, kShareAll, FILE_OPEN,
                        FILE_OPEN_REPARSE_POINT};
// A folder the run holds: its deletion unshared, so that it can be neither renamed nor
// removed, nor a link put in its place, until the run lets go of it.
const OpenInFolder kHold{FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_OPEN,
                         FILE_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT};

HANDLE FolderHandle(const HeldFolder& folder) {
  return reinterpret_cast<HANDLE>(folder.Handle());
}

FileRefusal LastError(const std::string& file = {}) {
  return {
      .kind = FileRefusal::Kind::System, .error = static_cast<int>(::GetLastError()), .file = file};
}

// Whether an open name is a junction or a symbolic link (other reparse points, such as a
// cloud file's, are the files and folders they stand for); `folder` says whether it is one.
bool IsLink(HANDLE handle, bool& folder) {
  FILE_ATTRIBUTE_TAG_INFO info{};
  if (!sys::AttributeTag(handle, info))
    return false;
  folder = (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
         (info.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT ||
          info.ReparseTag == IO_REPARSE_TAG_SYMLINK);
}

// Whether a walk may follow the link open as `link` in the held `folder`: only where the
// link's owner is the user running or the folder's own owner, so that nobody can lead
// another user's run through a link of theirs.
bool MayFollow(HANDLE link, HANDLE folder) {
  const auto owner = OwnerOf(link);
  if (!owner)
    return false;
  if (IsCaller(*owner))
    return true;
  const auto folderOwner = OwnerOf(folder);
  return folderOwner && *folderOwner == *owner;
}

// The full path of an open file, without the long-path prefix.
std::optional<std::wstring> FinalPathOf(HANDLE handle) {
  std::wstring final(MAX_PATH, L'\0');
  DWORD length = ::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()),
                                             FILE_NAME_NORMALIZED);
  if (length >= final.size()) {
    final.resize(length);
    length = ::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()),
                                         FILE_NAME_NORMALIZED);
  }
  if (length == 0 || length >= final.size())
    return std::nullopt;
  final.resize(length);
  if (final.starts_with(L"\\\\?\\UNC\\"))
    return L"\\\\" + final.substr(8);
  if (final.starts_with(L"\\\\?\\"))
    return final.substr(4);
  return final;
}

// Where a walk starts and what it walks: the working folder and a relative path's names, or
// a root ("C:\", "\\server\share\") and the names of the full path.
struct WalkStart {
  std::wstring root;  // empty: the working folder
  std::vector<std::wstring> names;
};

// The names of a path: either separator, "." left out.
std::vector<std::wstring> NamesOf(const std::wstring& path) {
  std::vector<std::wstring> names;
  std::wstring name;
  for (const wchar_t c : path + L'\\') {
    if (c != L'\\' && c != L'/') {
      name += c;
      continue;
    }
    if (!name.empty() && name != L".")
      names.push_back(name);
    name.clear();
  }
  return names;
}

// The names of a relative path as every Win32 open reads them, which the native calls of
// the walk would not: a name that ends in one period loses it ("sub." is "sub"), and the
// last name loses its trailing periods and spaces ("out.bin. " is "out.bin") unless a
// separator follows it. (GetFullPathNameW does the same for the other paths.)
std::vector<std::wstring> Win32NamesOf(const std::wstring& path) {
  std::vector<std::wstring> names = NamesOf(path);
  const bool lastIsName = !path.empty() && path.back() != L'\\' && path.back() != L'/';
  for (std::size_t at = 0; at < names.size(); ++at) {
    std::wstring& name = names[at];
    if (name.find_first_not_of(L'.') == std::wstring::npos)
      continue;  // "..", "...": names of their own
    if (at + 1 == names.size() && lastIsName)
      name.resize(name.find_last_not_of(L". ") + 1);
    else if (name.back() == L'.')
      name.pop_back();
  }
  return names;
}

// A plain relative path is walked from the working folder, as its open would be; any other
// (a drive, a root, "..") as the system reads it, from the root of its full path.
std::optional<WalkStart> StartOf(const std::wstring& path) {
  const bool rooted =
      path.starts_with(L'\\') || path.starts_with(L'/') || (path.size() >= 2 && path[1] == L':');
  std::vector<std::wstring> names = Win32NamesOf(path);
  bool up = false;
  for (const std::wstring& name : names)
    up = up || name == L"..";
  if (!rooted && !up)
    return WalkStart{{}, std::move(names)};
  std::wstring full(::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
  if (full.empty())
    return std::nullopt;
  full.resize(
      ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
  if (full.starts_with(L"\\\\?\\UNC\\"))
    full = L"\\\\" + full.substr(8);
  else if (full.starts_with(L"\\\\?\\"))
    full = full.substr(4);
  names = NamesOf(full);
  if (full.size() >= 3 && full[1] == L':')
    return WalkStart{full.substr(0, 3), std::vector(names.begin() + 1, names.end())};
  if (full.starts_with(L"\\\\") && names.size() >= 2)  // \\server\share
    return WalkStart{L"\\\\" + names[0] + L"\\" + names[1] + L"\\",
                     std::vector(names.begin() + 2, names.end())};
  return std::nullopt;  // a device's namespace (\\.\), which holds no files of ours
}

// Holds the folder open as `asked` (any access) as the walk's next folder.
OwnedHandle Hold(HANDLE asked) {
  return OwnedHandle(sys::OpenIn(asked, L"", kHold));
}

FileResult<HeldEntry> Walk(const std::string& path, FinalLink finalLink, int& links);

// Follows the link `name` in `folder`, which the rule allows. The walk goes on from the
// folder it leads to, which takes the place of `folder` (none returned); at the end, a folder
// is the entry itself, and a file is walked to again by its full path and must be the very
// file the link led to.
std::optional<FileResult<HeldEntry>> FollowLink(OwnedHandle& folder, const std::wstring& name,
                                                HANDLE asked, bool last, FinalLink finalLink,
                                                const std::string& resolved, int& links) {
  // Pinned while it is followed: with its writing and deletion unshared, nobody retargets,
  // renames or removes the link meanwhile.
  const OwnedHandle pinned(
      sys::OpenIn(folder.Get(), name,
                  {FILE_READ_ATTRIBUTES, FILE_SHARE_READ, FILE_OPEN, FILE_OPEN_REPARSE_POINT}));
  if (!pinned)
    return LastError();
  if (IdentityOfHandle(pinned.Get()) != IdentityOfHandle(asked))
    return FileRefusal{.kind = FileRefusal::Kind::Replaced};
  OwnedHandle led(sys::OpenIn(folder.Get(), name, {kAsk.access, kShareAll, FILE_OPEN, 0}));
  if (!led) {
    const DWORD error = ::GetLastError();
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    if (last && missing && finalLink == FinalLink::MustLead)
      return FileRefusal{.kind = FileRefusal::Kind::LinkToNothing, .file = resolved};
    return LastError();
  }
  bool isFolder = false;
  static_cast<void>(IsLink(led.Get(), isFolder));
  if (isFolder) {
    folder = Hold(led.Get());
    if (!folder)
      return LastError();
    if (last)
      return HeldEntry{HeldFolder(reinterpret_cast<SystemHandle>(folder.Release()), resolved), ".",
                       resolved};
    return std::nullopt;
  }
  if (!last)
    return FileRefusal{.kind = FileRefusal::Kind::System, .error = ERROR_PATH_NOT_FOUND};
  const auto final = FinalPathOf(led.Get());
  if (!final)
    return LastError();
  auto entry = Walk(Utf8FromWide(*final), finalLink, links);
  if (entry && IdentityOf(entry->folder, entry->name) != IdentityOfHandle(led.Get()))
    return FileRefusal{.kind = FileRefusal::Kind::Replaced};
  return entry;
}

FileResult<HeldEntry> Walk(const std::string& path, FinalLink finalLink, int& links) {
  const auto start = StartOf(WideFromUtf8(path));
  if (!start)
    return FileRefusal{.kind = FileRefusal::Kind::Device};
  OwnedHandle folder(sys::Open(start->root.empty() ? L"." : start->root, kHold.access, kHold.share,
                               OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT));
  if (!folder)
    return LastError(path);
  // As messages say it: the path as given while it leads through no link; from a link on,
  // the path of the folder the link led to.
  std::string resolved = start->root.empty() ? "" : Utf8FromWide(start->root);
  bool followed = false;
  const auto held = [&](std::string name) {
    const std::string shown = followed ? (resolved.empty() ? name : resolved + "\\" + name) : path;
    const std::string folderPath =
        followed ? resolved : (NameOf(path) == path ? "" : FolderOf(path));
    return HeldEntry{HeldFolder(reinterpret_cast<SystemHandle>(folder.Release()), folderPath),
                     std::move(name), shown};
  };
  for (std::size_t at = 0; at < start->names.size(); ++at) {
    const std::wstring& name = start->names[at];
    const bool last = at + 1 == start->names.size();
    const std::string here =
        resolved.empty() ? Utf8FromWide(name) : resolved + "\\" + Utf8FromWide(name);
    // A name too long for any file is a new one, which the caller refuses in its own words.
    if (last && name.size() > kMaxNameBytes)
      return held(Utf8FromWide(name));
    OwnedHandle asked(sys::OpenIn(folder.Get(), name, kAsk));
    if (!asked) {
      const DWORD error = ::GetLastError();
      if (error != ERROR_FILE_NOT_FOUND)
        return LastError();
      if (last)
        return held(Utf8FromWide(name));  // a new name
      return FileRefusal{.kind = FileRefusal::Kind::System, .error = ERROR_PATH_NOT_FOUND};
    }
    bool isFolder = false;
    if (IsLink(asked.Get(), isFolder)) {
      if (++links > kMaxLinks)
        return FileRefusal{.kind = FileRefusal::Kind::System, .error = ERROR_CANT_RESOLVE_FILENAME};
      if (!MayFollow(asked.Get(), folder.Get()))
        return FileRefusal{.kind = FileRefusal::Kind::ForeignLink,
                           .file = last && !followed ? std::string() : here};
      resolved = here;
      followed = true;
      if (auto ended = FollowLink(folder, name, asked.Get(), last, finalLink, resolved, links))
        return std::move(*ended);
      continue;
    }
    if (last)
      return held(Utf8FromWide(name));
    if (!isFolder)
      return FileRefusal{.kind = FileRefusal::Kind::System, .error = ERROR_PATH_NOT_FOUND};
    // The folder is the one just asked about: its handle, not the name again.
    folder = Hold(asked.Get());
    if (!folder)
      return LastError();
    resolved = here;
  }
  // Nothing but a root or ".": the folder itself.
  const std::string shown = followed ? resolved : path;
  return HeldEntry{HeldFolder(reinterpret_cast<SystemHandle>(folder.Release()), shown), ".", shown};
}

// A handle on `name` in `folder` for removing it: DELETE access, every sharing
// allowed, the link itself rather than what it leads to.
OwnedHandle OpenToRemove(const HeldFolder& folder, const std::string& name) {
  return OwnedHandle(sys::OpenIn(FolderHandle(folder), WideFromUtf8(name),
                                 {DELETE, kShareAll, FILE_OPEN, FILE_OPEN_REPARSE_POINT}));
}

// Flushes what `name` in `folder` (or "": the folder itself) holds; false, the error set,
// where it cannot be opened for writing or flushed.
bool Flush(const HeldFolder& folder, const std::wstring& name) {
  const OwnedHandle handle(
      sys::OpenIn(FolderHandle(folder), name, {GENERIC_WRITE, kShareAll, FILE_OPEN, 0}));
  return handle && sys::Flush(handle.Get());
}

}  // namespace

void HeldFolder::Release() noexcept {
  if (IsHeld())
    sys::Close(reinterpret_cast<HANDLE>(m_handle));
  m_handle = kNoHandle;
}

FileResult<HeldEntry> ResolveEntry(const std::string& path, FinalLink finalLink) {
  if (IsDeviceName(path))
    return FileRefusal{.kind = FileRefusal::Kind::Device, .file = path};
  int links = 0;
  return Walk(path, finalLink, links);
}

FileStatus FolderTakesNewFile(const HeldFolder&) {
  return {};
}

bool FolderHasHardLinks(const HeldFolder& held) {
  // By the file system's name: the FAT family has no hard links. (The volume's
  // FILE_SUPPORTS_HARD_LINKS flag is not to be trusted: Wine's drives lack it and link.)
  std::wstring name(MAX_PATH + 1, L'\0');
  if (!::GetVolumeInformationByHandleW(FolderHandle(held), nullptr, 0, nullptr, nullptr, nullptr,
                                       name.data(), MAX_PATH + 1))
    return true;  // unknown: the link itself will tell
  name.resize(std::wcslen(name.c_str()));
  return name != L"FAT" && name != L"FAT32" && name != L"exFAT";
}

bool FolderKeepsExistingNames(const HeldFolder&) {
  return true;  // a rename that does not replace refuses an existing name everywhere
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
  const OwnedHandle handle(sys::OpenIn(FolderHandle(folder), WideFromUtf8(name), kAsk));
  if (handle)
    return true;
  const DWORD error = ::GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

std::optional<FileIdentity> IdentityOf(const HeldFolder& folder, const std::string& name) {
  const OwnedHandle handle(sys::OpenIn(FolderHandle(folder), WideFromUtf8(name), kAsk));
  if (!handle)
    return std::nullopt;
  return IdentityOfHandle(handle.Get());
}

std::vector<std::string> NamesIn(const HeldFolder& folder) {
  std::vector<std::string> names;
  // A handle of its own: a listing goes on where the handle's last one stopped.
  const OwnedHandle listing(Hold(FolderHandle(folder)));
  if (!listing)
    return names;
  std::vector<unsigned char> buffer(64 * 1024);
  while (::GetFileInformationByHandleEx(listing.Get(), FileIdBothDirectoryInfo, buffer.data(),
                                        static_cast<DWORD>(buffer.size()))) {
    for (std::size_t at = 0;;) {
      const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer.data() + at);
      const std::wstring name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
      if (name != L"." && name != L"..")
        names.push_back(Utf8FromWide(name));
      if (entry->NextEntryOffset == 0)
        break;
      at += entry->NextEntryOffset;
    }
  }
  return names;
}

bool IsMissing(const FileStatus& status) {
  return !status && status.Why().kind == FileRefusal::Kind::System &&
         (status.Why().error == ERROR_FILE_NOT_FOUND || status.Why().error == ERROR_PATH_NOT_FOUND);
}

FileStatus RemoveFile(const HeldFolder& folder, const std::string& name) {
  DWORD error = ERROR_SUCCESS;
  for (int attempt = 0; attempt < 3; ++attempt) {
    const OwnedHandle handle = OpenToRemove(folder, name);
    if (handle && sys::SetDeleteOnClose(handle.Get(), true))
      return {};
    error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND)
      break;
  }
  return FileStatus::SystemError(static_cast<int>(error));
}

void RemoveHeldFile(CFile& file, const HeldFolder& folder, const std::string& name) {
  // Windows removes no file that is open without sharing its deletion.
  file.Abort();
  static_cast<void>(RemoveFile(folder, name));  // a name that cannot go is the next sweep's
}

void MoveIntoPlace(const HeldEntry& to, const CFile& file, const std::string&, Placing placing) {
  // By the handle the run wrote through (it has DELETE access), into the held folder; a
  // rename that does not replace never replaces a file that has the name. (Within one volume
  // this is the rename MoveFileEx makes too; its write-through flag concerns a move made as a
  // copy. SyncFolder makes it durable.)
  const bool replaces = placing == Placing::Replace;
  if (!sys::Rename(reinterpret_cast<HANDLE>(file.GetHandle()), FolderHandle(to.folder),
                   WideFromUtf8(to.name), replaces))
    throw CFileException(replaces ? FileAction::Replace : FileAction::Create, to.path,
                         static_cast<int>(::GetLastError()));
}

FileStatus LinkFile(const HeldFolder& folder, const std::string& from, const std::string& to) {
  // Asking to change only its attributes, the handle is in no one's way: the image may be
  // held by this very run without sharing.
  const OwnedHandle file(
      sys::OpenIn(FolderHandle(folder), WideFromUtf8(from),
                  {FILE_WRITE_ATTRIBUTES, kShareAll, FILE_OPEN, FILE_OPEN_REPARSE_POINT}));
  if (file && sys::Link(file.Get(), FolderHandle(folder), WideFromUtf8(to)))
    return {};
  return FileStatus::SystemError(static_cast<int>(::GetLastError()));
}

bool IsNameTaken(const FileStatus& status) {
  return status.Error() == ERROR_ALREADY_EXISTS || status.Error() == ERROR_FILE_EXISTS;
}

void ReleaseBeforeReplace(CFile& file) {
  file.Abort();
}

void SyncFolder(const HeldEntry& entry) {
  // NTFS keeps its folders in its journal; flushing the folder pushes that out. Where the
  // folder cannot be opened for writing or flushed, flushing the file just renamed commits
  // the journal as far as its rename.
  if (Flush(entry.folder, L""))
    return;
  const DWORD folderError = ::GetLastError();
  if (folderError != ERROR_ACCESS_DENIED && folderError != ERROR_INVALID_FUNCTION)
    throw CFileException(FileAction::SyncFolder, entry.path, static_cast<int>(folderError));
  if (!Flush(entry.folder, WideFromUtf8(entry.name)) && ::GetLastError() != ERROR_INVALID_FUNCTION)
    throw CFileException(FileAction::SyncFolder, entry.path, static_cast<int>(::GetLastError()));
}

}  // namespace zarneth

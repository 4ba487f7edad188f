#include "c_file.h"

#include <windows.h>
// After windows.h, which it needs.
#include <aclapi.h>

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

HANDLE HandleOf(const CFile& file) {
  return reinterpret_cast<HANDLE>(file.GetHandle());
}

using Kind = FileRefusal::Kind;

FileRefusal OpenRefusal(DWORD error) {
  if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
    return {.kind = Kind::InUse};
  return {.kind = Kind::System, .error = static_cast<int>(error)};
}

// The refusal of a handle that is not a file on a disk, by what it is.
FileRefusal NotRegular(DWORD type) {
  if (type == FILE_TYPE_CHAR)
    return {.kind = Kind::Device};
  return {.kind = type == FILE_TYPE_PIPE ? Kind::Pipe : Kind::OtherKind};
}

// One positioned, synchronous transfer of at most 4 GiB - 1 bytes.
OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

}  // namespace

std::optional<FileIdentity> IdentityOfHandle(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(handle, &info))
    return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

BY_HANDLE_FILE_INFORMATION Information(const CFile& file) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(HandleOf(file), &info))
    file.Fail(FileAction::GetAttributes, static_cast<int>(::GetLastError()));
  return info;
}

const int kErrorIo = ERROR_HANDLE_EOF;

std::string SystemErrorText(int error) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length == 0 || !text)
    return "system error " + std::to_string(static_cast<unsigned long>(error));
  std::string message = Utf8FromWide(std::wstring(text, length));
  ::LocalFree(text);
  // The system ends its sentences with a period and a line break; ours go on after it.
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.'))
    message.pop_back();
  return message;
}

FileStatus CFile::OpenAt(const HeldFolder& folder, const std::string& name, const std::string& path,
                         unsigned flags) {
  if (IsOpen())
    return FileRefusal{.kind = Kind::AlreadyOpen};
  // The system's devices answer to these names in every folder.
  if (IsDeviceName(name))
    return NotRegular(FILE_TYPE_CHAR);
  const Holding holding = HoldingFor(flags);
  const bool writes = holding == Holding::Write;
  const HANDLE folderHandle = reinterpret_cast<HANDLE>(folder.Handle());
  const std::wstring systemName = WideFromUtf8(name);
  // Judged before it is opened for reading or writing, the link itself rather than what it
  // leads to: a link in the file's place is refused, as are a folder and a file the
  // read-only attribute keeps from being written.
  std::optional<FileIdentity> standsFor;
  {
    const OwnedHandle asked(
        sys::OpenIn(folderHandle, systemName,
                    {FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     FILE_OPEN, FILE_OPEN_REPARSE_POINT}));
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (!asked || !sys::AttributeTag(asked.Get(), info))
      return OpenRefusal(::GetLastError());
    if (IsNameSurrogate(info))
      return FileRefusal{.kind = Kind::Link};
    // Any other reparse point (a cloud file's placeholder, a compressed or deduplicated
    // file) is the file it stands for: opened through its filter, and checked to be the
    // very file judged.
    if ((info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
      standsFor = IdentityOfHandle(asked.Get());
    if ((info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
      return FileRefusal{.kind = Kind::Folder};
    if (writes && (info.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0)
      return FileRefusal{.kind = Kind::ReadOnly};
  }
  // Share modes are the locks: a writer shares with nobody, a reader with readers only.
  // FILE_OPEN_REPARSE_POINT: a link put in the file's place since it was judged is opened as
  // itself, and refused by Adopt.
  const HANDLE handle = sys::OpenIn(
      folderHandle, systemName,
      {GENERIC_READ | (writes ? GENERIC_WRITE : 0u),
       holding == Holding::SharedRead ? static_cast<ULONG>(FILE_SHARE_READ) : 0u, FILE_OPEN,
       FILE_NON_DIRECTORY_FILE | (standsFor ? 0u : static_cast<ULONG>(FILE_OPEN_REPARSE_POINT))});
  if (handle == INVALID_HANDLE_VALUE)
    return OpenRefusal(::GetLastError());
  if (standsFor && IdentityOfHandle(handle) != standsFor) {
    sys::Close(handle);
    return FileRefusal{.kind = Kind::Replaced};
  }
  return Adopt(reinterpret_cast<SystemHandle>(handle), path, holding);
}

FileStatus CFile::Adopt(SystemHandle handle, const std::string& path, Holding holding) {
  const HANDLE file = reinterpret_cast<HANDLE>(handle);
  const bool writes = holding == Holding::Write;
  auto refuseAndClose = [&](FileRefusal refusal) {
    sys::Close(file);
    return FileStatus(std::move(refusal));
  };
  const DWORD type = ::GetFileType(file);
  if (type != FILE_TYPE_DISK)
    return refuseAndClose(NotRegular(type));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file, &info))
    return refuseAndClose({.kind = Kind::System, .error = static_cast<int>(::GetLastError())});
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return refuseAndClose({.kind = Kind::Folder});
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!sys::AttributeTag(file, tag) || IsNameSurrogate(tag))
      return refuseAndClose({.kind = Kind::Link});
  }
  if (writes && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0)
    return refuseAndClose({.kind = Kind::ReadOnly});
  // A file whose identity the system cannot give could not be told apart from the run's
  // other files: refused, never taken for a match.
  const auto identity = IdentityOfHandle(file);
  if (!identity)
    return refuseAndClose({.kind = Kind::NoIdentity, .error = static_cast<int>(::GetLastError())});
  m_handle = handle;
  m_path = path;
  m_identity = *identity;
  return {};
}

std::uint64_t CFile::GetLength() const {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(HandleOf(*this), &size))
    Fail(FileAction::GetLength, static_cast<int>(::GetLastError()));
  return static_cast<std::uint64_t>(size.QuadPart);
}

std::uint64_t CFile::GetLinkCount() const {
  return Information(*this).nNumberOfLinks;
}

bool CFile::IsOwnedByCaller() const {
  const auto owner = OwnerOf(HandleOf(*this));
  return owner && IsCaller(*owner);
}

bool CFile::MayBeWrittenByOthers() const {
  return false;
}

std::uint32_t CFile::ReadAt(std::uint64_t offset, void* buffer, std::uint32_t count) {
  auto* bytes = static_cast<unsigned char*>(buffer);
  std::uint32_t done = 0;
  while (done < count) {
    OVERLAPPED at = At(offset + done);
    DWORD got = 0;
    if (!sys::Read(HandleOf(*this), bytes + done, count - done, &got, &at)) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_HANDLE_EOF)
        break;
      Fail(FileAction::Read, static_cast<int>(error));
    }
    if (got == 0)
      break;  // end of file
    done += got;
  }
  return done;
}

void CFile::WriteAt(std::uint64_t offset, const void* buffer, std::uint32_t count) {
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  std::uint32_t done = 0;
  while (done < count) {
    OVERLAPPED at = At(offset + done);
    DWORD put = 0;
    if (!sys::Write(HandleOf(*this), bytes + done, count - done, &put, &at))
      Fail(FileAction::Write, static_cast<int>(::GetLastError()));
    if (put == 0)
      Fail(FileAction::Write, ERROR_WRITE_FAULT);
    done += put;
  }
}

void CFile::Sync() {
  if (!sys::Flush(HandleOf(*this)))
    Fail(FileAction::Sync, static_cast<int>(::GetLastError()));
}

void CFile::Close() {
  if (!IsOpen())
    return;
  const HANDLE handle = HandleOf(*this);
  m_handle = kNoHandle;
  if (!sys::Close(handle))
    Fail(FileAction::Close, static_cast<int>(::GetLastError()));
}

void CFile::Abort() {
  if (IsOpen())
    sys::Close(HandleOf(*this));
  m_handle = kNoHandle;
}

bool CFile::IsReadOnly() const {
  return (Information(*this).dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
}

unsigned CFile::GetPermissions() const {
  return IsReadOnly() ? 0444 : 0666;
}

void CFile::RestrictPermissions(unsigned) {}

// A new file here keeps what the system lets the caller set and refuses nothing.
FileStatus CFile::AccessCanBeTaken() const {
  return {};
}

FileStatus CFile::TakeAccessFrom(const CFile& model) {
  // The attributes come with the final name (TemporaryFile::GiveName); until then the file
  // stays hidden. The access list comes where the system lets the caller set it.
  PACL access = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetSecurityInfo(HandleOf(model), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                        nullptr, &access, nullptr, &descriptor) == ERROR_SUCCESS) {
    if (access)
      ::SetSecurityInfo(HandleOf(*this), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                        nullptr, access, nullptr);
    ::LocalFree(descriptor);
  }
  return {};
}

DWORD KeptAttributes(const CFile& file) {
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  const DWORD kept = Information(file).dwFileAttributes & kKept;
  return kept ? kept : FILE_ATTRIBUTE_NORMAL;
}

}  // namespace zarneth

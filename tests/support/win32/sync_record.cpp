#include "sync_record.h"

#include <windows.h>

#include <vector>

#include "wide_text.h"
#include "win32_calls.h"

namespace zarneth::test {
namespace {

std::optional<SyncRequest> request;
BOOL(WINAPI* realFlush)(HANDLE) = nullptr;

// A file's bytes through its own handle (the engine's files are open for reading).
bool ReadWhole(HANDLE handle, std::string& bytes) {
  char buffer[65536];
  for (std::uint64_t at = 0;;) {
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(at);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    DWORD got = 0;
    if (!::ReadFile(handle, buffer, sizeof buffer, &got, &where))
      return ::GetLastError() == ERROR_HANDLE_EOF;
    if (got == 0)
      return true;
    bytes.append(buffer, got);
    at += got;
  }
}

// What a successful flush made durable: a file's bytes and, as NTFS commits its journal
// with any flush, the watched folder's names. Read with the system's own calls, not the
// engine's seam, so the run's calls are counted alone.
BOOL WINAPI RecordingFlush(HANDLE handle) {
  const BOOL flushed = realFlush(handle);
  const DWORD error = ::GetLastError();
  BY_HANDLE_FILE_INFORMATION info{};
  if (!flushed || !::GetFileInformationByHandle(handle, &info))
    return ::SetLastError(error), flushed;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    const auto identity = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    if (std::string bytes; ReadWhole(handle, bytes))
      RecordFile(*request, std::to_string(identity), bytes);
  }
  RecordFolder(*request);
  ::SetLastError(error);
  return flushed;
}

}  // namespace

void RecordSyncsIfAsked() {
  request = AskedSyncRecord();
  if (!request)
    return;
  Win32Calls& calls = ActiveWin32Calls();
  realFlush = calls.flushFileBuffers;
  calls.flushFileBuffers = &RecordingFlush;
}

std::map<std::string, std::string> NamesIn(const std::filesystem::path& folder) {
  std::map<std::string, std::string> names;
  const HANDLE listing = ::CreateFileW(folder.wstring().c_str(), FILE_LIST_DIRECTORY,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (listing == INVALID_HANDLE_VALUE)
    return names;
  std::vector<unsigned char> buffer(64 * 1024);
  for (auto kind = FileIdBothDirectoryRestartInfo; ::GetFileInformationByHandleEx(
           listing, kind, buffer.data(), static_cast<DWORD>(buffer.size()));
       kind = FileIdBothDirectoryInfo) {
    for (std::size_t at = 0;;) {
      const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer.data() + at);
      const std::wstring name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
      if (name != L"." && name != L"..")
        names[Utf8FromWide(name)] =
            std::to_string(static_cast<std::uint64_t>(entry->FileId.QuadPart));
      if (entry->NextEntryOffset == 0)
        break;
      at += entry->NextEntryOffset;
    }
  }
  ::CloseHandle(listing);
  return names;
}

}  // namespace zarneth::test

#include "sync_record.h"

#include <cstdlib>
#include <fstream>

#include "file_paths.h"

namespace zarneth::test {

namespace {

// Appends one record to `log`, preceded by its length.
void AppendSyncRecord(const std::string& log, const std::string& record) {
  std::ofstream out(PathFromUtf8(log), std::ios::binary | std::ios::app);
  out << record.size() << '\n' << record;
}

}  // namespace

std::optional<SyncRequest> AskedSyncRecord() {
  const char* log = std::getenv(kSyncLogVariable);
  const char* folder = std::getenv(kSyncFolderVariable);
  if (!log || !*log || !folder || !*folder)
    return std::nullopt;
  return SyncRequest{log, PathFromUtf8(folder)};
}

void RecordFolder(const SyncRequest& request) {
  std::string record = "D\n";
  for (const auto& [name, identity] : NamesIn(request.folder))
    record += name + "\n" + identity + "\n";
  AppendSyncRecord(request.log, record);
}

void RecordFile(const SyncRequest& request, const std::string& identity, const std::string& bytes) {
  AppendSyncRecord(request.log, "F" + identity + "\n" + bytes);
}

}  // namespace zarneth::test

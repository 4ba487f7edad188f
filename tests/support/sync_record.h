#pragma once

// The dying child's side of a power cut (power_cut.h): while a PowerCut is in force, a run
// started in a child process records what each successful sync made durable, into the log
// the PowerCut names through the environment.

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace zarneth::test {

// The environment variables through which a PowerCut asks its children to record: the log,
// and the folder whose names a sync makes durable.
inline constexpr const char* kSyncLogVariable = "ZARNETH_TEST_SYNC_LOG";
inline constexpr const char* kSyncFolderVariable = "ZARNETH_TEST_SYNC_FOLDER";

// In the child: where a PowerCut asked for it, wraps the system's sync so that each one that
// succeeds appends to the log what it made durable:
//   "F<identity>\n<bytes>": a file's bytes as synced,
//   "D\n<name>\n<identity>\n...": the folder's names with the files they lead to.
// POSIX makes a folder's names durable by syncing the folder; NTFS keeps names in its
// journal, which a sync of any of the volume's files or folders commits.
void RecordSyncsIfAsked();

// The names in `folder` with the identity of the file each leads to, as the log writes
// them, without opening the files (a file marked for deletion cannot be opened).
std::map<std::string, std::string> NamesIn(const std::filesystem::path& folder);

// What a PowerCut asked of the child through the environment: the log and the watched
// folder; none where no PowerCut asked.
struct SyncRequest {
  std::string log;
  std::filesystem::path folder;
};
std::optional<SyncRequest> AskedSyncRecord();

// Appends to the log what a sync made durable: the watched folder's names as they are now,
// or the bytes of the file `identity`.
void RecordFolder(const SyncRequest& request);
void RecordFile(const SyncRequest& request, const std::string& identity, const std::string& bytes);

}  // namespace zarneth::test

#pragma once

// The dying child's side of a power cut (power_cut.h): while a PowerCut is in force, a run
// started in a child process records what each successful sync made durable, into the log
// the PowerCut names through the environment.

#include <filesystem>
#include <map>
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

// Appends one record to `log`, preceded by its length.
void AppendSyncRecord(const std::string& log, const std::string& record);

}  // namespace zarneth::test

#pragma once

// A power cut, as SQLite's crash tests make one: a run killed at a system call loses, with
// the power, whatever it did not sync. The dying child records what each successful sync
// made durable (sync_record.h); the parent then puts the folder back to that: the names of
// its last synced listing (or those it had before the run), each with the bytes its file
// last synced (or had before the run; a file never synced is empty).

#include <filesystem>
#include <map>
#include <string>

#include "scoped_environment.h"
#include "temp_dir.h"

namespace zarneth::test {

class PowerCut {
 public:
  // Asks the runs in child processes to record their syncs into a log in `logFolder`, for
  // the folder `folder`.
  PowerCut(const std::filesystem::path& folder, const std::filesystem::path& logFolder);
  PowerCut(const PowerCut&) = delete;
  PowerCut& operator=(const PowerCut&) = delete;

  // Notes the folder as it is now, before the next run, and empties the log.
  void Before();
  // After the child died: the folder as the disk holds it once the power is back.
  void Cut();

 private:
  std::filesystem::path m_folder;
  std::filesystem::path m_log;
  ScopedEnvironment m_logVariable;
  ScopedEnvironment m_folderVariable;
  std::map<std::string, std::string> m_names;  // the folder before the run: name, identity
  std::map<std::string, Bytes> m_bytes;        // its files' bytes before the run, by identity
};

}  // namespace zarneth::test

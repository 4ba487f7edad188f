#pragma once

// A power cut, as SQLite's crash tests make one: a run killed at a system call loses, with
// the power, whatever it did not sync. The child that runs records what each successful
// fsync made durable (a file's bytes by its inode, a folder's names with their inodes); the
// parent then puts the folder back to that: the names of its last synced listing (or those
// it had before the run), each with the bytes its file last synced (or had before the run;
// a file never synced is empty).

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>

#include "temp_dir.h"

namespace zarneth::test {

class PowerCut {
 public:
  // Records the syncs of runs in child processes into a log in `logFolder`, for the folder
  // `folder`; notes `folder` as it is now (the state before the run).
  PowerCut(const std::filesystem::path& folder, const std::filesystem::path& logFolder);
  ~PowerCut();
  PowerCut(const PowerCut&) = delete;
  PowerCut& operator=(const PowerCut&) = delete;

  // Notes the folder as it is now, before the next run, and empties the log.
  void Before();
  // After the child died: the folder as the disk holds it once the power is back.
  void Cut();

 private:
  std::filesystem::path m_folder;
  std::string m_log;
  std::map<std::string, ino_t> m_names;  // the folder before the run
  std::map<ino_t, Bytes> m_bytes;        // its files' bytes before the run
};

}  // namespace zarneth::test

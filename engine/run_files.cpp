#include "run_files.h"

#include <cstdio>

#include "file_paths.h"
#include "file_system.h"
#include "journal.h"

namespace zarneth {
namespace {

std::string Cannot(const char* purpose, const char* role, const std::string& path,
                   const std::string& why) {
  return std::string("cannot ") + purpose + " " + role + " file " + path + ": " + why;
}

// Settles the journal of `file`, open for writing; false when its journal does not fit.
bool Settle(CFile& file, const char* role, RunResult& result) {
  const JournalSettlement settled = SettleJournal(file);
  const std::string subject = std::string(role) + " file " + file.GetFilePath();
  switch (settled.state) {
    case JournalState::None:
      return true;
    case JournalState::PlayedBack:
      result.notes.push_back("undid an interrupted run on " + subject + ": restored " +
                             std::to_string(settled.length) + " bytes at " +
                             HexText(settled.offset));
      return true;
    case JournalState::TornRemoved:
      result.notes.push_back("removed the unfinished undo journal of " + subject +
                             "; the file had not been touched");
      return true;
    case JournalState::Mismatch:
      break;
  }
  FailRun(result, "cannot undo the interrupted run on " + subject + ": its journal " +
                      JournalPathFor(file.GetFilePath()) + " was written for a file of " +
                      std::to_string(settled.savedImageLength) + " bytes, the file now has " +
                      std::to_string(file.GetLength()) + " bytes; nothing was changed");
  return false;
}

}  // namespace

RunResult& FailRun(RunResult& result, std::string reason) {
  result.outcome = PatchOutcome::Failed;
  result.failureReason = std::move(reason);
  return result;
}

std::string ShortReadReason(const CFile& file, const char* role, std::uint64_t got,
                            std::uint64_t wanted) {
  return std::string(role) + " file " + file.GetFilePath() + " came up short: read " +
         std::to_string(got) + " of " + std::to_string(wanted) + " bytes (did it change?)";
}

std::string HexText(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

bool OpenForRole(CFile& file, const std::string& path, unsigned flags, const char* role,
                 RunResult& result) {
  const bool writes = (flags & CFile::modeReadWrite) != 0;
  const char* purpose = writes ? "open for reading and writing" : "open for reading";
  // A run interrupted between the settling and the open may leave a new journal: look again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::string whyNot;
    if (!file.Open(path, flags, &whyNot)) {
      FailRun(result, Cannot(purpose, role, path, whyNot));
      return false;
    }
    if (!PathExists(JournalPathFor(path)))
      return true;
    if (writes)
      return Settle(file, role, result);
    // Playing a journal back writes the file, so it takes the writer's lock for that.
    file.Close();
    CFile writer;
    if (!writer.Open(path, CFile::modeReadWrite, &whyNot)) {
      FailRun(result, Cannot("undo the interrupted run on", role, path, whyNot));
      return false;
    }
    if (!Settle(writer, role, result))
      return false;
    writer.Close();
  }
  FailRun(result, Cannot(purpose, role, path, "it keeps changing under the run"));
  return false;
}

bool PrepareDestination(SaveFile& destination, const std::string& path, RunResult& result) {
  if (PathExists(JournalPathFor(path))) {
    CFile settled;
    if (!OpenForRole(settled, path, CFile::modeReadWrite, "destination", result))
      return false;
    settled.Close();
  }
  std::string whyNot;
  if (destination.Prepare(path, &whyNot))
    return true;
  FailRun(result, Cannot("create", "destination", path, whyNot));
  return false;
}

bool BeginDestination(SaveFile& destination, const std::string& path, RunResult& result) {
  std::string whyNot;
  if (destination.Begin(&whyNot))
    return true;
  FailRun(result, Cannot("create", "destination", path, whyNot));
  return false;
}

bool RefuseSameFile(std::initializer_list<HeldFile> files, RunResult& result) {
  for (auto first = files.begin(); first != files.end(); ++first) {
    for (auto second = first + 1; second != files.end(); ++second) {
      if (!first->second || !second->second ||
          first->second->GetIdentity() != second->second->GetIdentity())
        continue;
      FailRun(result, std::string("the ") + first->first + " file " + first->second->GetFilePath() +
                          " and the " + second->first + " file " + second->second->GetFilePath() +
                          " are the same file");
      return true;
    }
  }
  return false;
}

}  // namespace zarneth

#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zarneth {

enum class PatchMode {
  Zarneth,  // write the transcript into the source image at the start address
  Cut,      // copy the range start..end (inclusive) of the source image to the destination
};

enum class PatchOutcome { Done, Failed };

// The inputs of one run, as the form or the command line holds them. Paths are used exactly
// as given; the addresses stay text until RunJob parses them.
struct PatchJob {
  PatchMode mode = PatchMode::Zarneth;
  bool createNewFile = true;  // Zarneth mode: true writes a patched copy to the destination
  std::string sourcePath;
  std::string transcriptPath;
  std::string destinationPath;
  std::string startText;
  std::string endText;
};

// What a run reports back: the outcome, the addresses it worked with, for a failed run a
// short sentence saying which check or which file refused and why, and notes on what it
// did besides its job (an interrupted earlier run it undid).
struct RunResult {
  PatchOutcome outcome = PatchOutcome::Failed;
  std::uint32_t start = 0;         // the start address as parsed
  std::uint64_t cutLength = 0;     // Cut mode: end - start + 1
  std::uint64_t bytesWritten = 0;  // bytes written to the source or the destination
  std::string failureReason;
  std::vector<std::string> notes;
};

// Checks the job and runs its operation. Every check (paths, addresses, files, ranges, one
// file in two roles) comes before anything is written, and a run either completes, synced
// to the disk, or leaves every file as it was. Refusals come back as Failed; a failure of a
// file that is already open escapes as CFileException and a stop request as RunStopped,
// both after the run's changes were undone.
RunResult RunJob(const PatchJob& job);

}  // namespace zarneth

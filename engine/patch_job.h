#pragma once

#include <cstdint>
#include <string>

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

// What a run reports back: the outcome, the addresses it worked with and, for a failed run,
// a short sentence saying which check or which file refused and why.
struct RunResult {
  PatchOutcome outcome = PatchOutcome::Failed;
  std::uint32_t start = 0;         // the start address as parsed
  std::uint32_t cutLength = 0;     // Cut mode: end - start + 1, modulo 2^32
  std::uint32_t patchOffset = 0;   // Zarneth mode: where the transcript went (the new-file
                                   // variant clamps the start to the source length)
  std::uint64_t bytesWritten = 0;  // bytes written to the source or the destination
  std::string failureReason;
};

// Parses the addresses and runs the job's operation. Expected failures (empty paths, refused
// opens, short reads, a range outside the source) come back as Failed; a failure of a file
// that is already open escapes as CFileException, with every file of the run closed.
RunResult RunJob(const PatchJob& job);

}  // namespace zarneth

#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace zarneth {

enum class PatchMode {
  Zarneth,  // write the transcript into the source image at the start address
  Cut,      // copy the range start..end (inclusive) of the source image to the destination
  Verify,   // compare the image at the start address with the transcript; reads only
  Show,     // hand the range start..end (inclusive) of the image to the job's sink; reads only
};

// Where a Show run hands the bytes of its range, piece by piece, with each piece's address.
using RangeSink = std::function<void(std::uint64_t address, std::span<const unsigned char>)>;

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
  // The model the form or the command line picked ("V135"; empty for none). With its own
  // start address, a transcript longer than its language block is refused unless
  // allowOverrun: it would overwrite the firmware after the block.
  std::string model;
  bool allowOverrun = false;
  // Every check of a real run, files held as a real run holds them, and nothing opened for
  // writing: the result says what the run would write.
  bool dryRun = false;
  // A patched copy or a cut only to a new name: an existing destination is refused.
  bool noClobber = false;
  // In place: keep the image as it was under "<image>.bak" (or .bak.1, ...), made in the same
  // commit as the new image.
  bool backup = false;
  RangeSink sink;  // Show: where the range goes
};

// What a run reports back: the outcome, the addresses it worked with, for a failed run a
// short sentence saying which check or which file refused and why. A Done run with a
// warning put every byte in place, but the system did not confirm that the last step (the
// folder's new entry) is on the disk.
struct RunResult {
  PatchOutcome outcome = PatchOutcome::Failed;
  std::uint32_t start = 0;         // the start address as parsed
  std::uint64_t cutLength = 0;     // Cut mode: end - start + 1
  std::uint64_t bytesWritten = 0;  // bytes written to the source or the destination
  std::uint64_t overrunBytes = 0;  // refused for an overrun: bytes past the model's block
  std::uint32_t crc = 0;           // CRC-32 of the bytes put in place: the transcript, the range
  // Verify: how many bytes of the image differ from the transcript, the first one's
  // address, and the CRC-32 of the image's bytes there (`crc` is the transcript's).
  std::uint64_t differingBytes = 0;
  std::uint64_t firstDifference = 0;
  std::uint32_t imageCrc = 0;
  std::string backupPath;  // in place with a backup: where the old image is kept
  std::string failureReason;
  std::string warning;
};

// Checks the job and runs its operation. Every check (paths, addresses, files, ranges, one
// file in two roles, the model's block) comes before anything is written, and a run either
// completes, synced to the disk, or leaves every file as it was. Refusals come back as
// Failed; a failure of a file that is already open escapes as CFileException and a stop
// request as RunStopped, both with every file as it was. Once the destination was renamed
// into place the run is Done, with a warning for anything that failed after.
[[nodiscard]] RunResult RunJob(const PatchJob& job);

}  // namespace zarneth

#pragma once

#include <string>

#include "operations.h"

namespace zarneth {

// The form's two modes.
enum class PatchMode {
  Zarneth,  // write the transcript into the source image at the start address
  Cut,      // copy the range start..end (inclusive) of the source image to the destination
};

// The inputs of one run as the form holds them when Do is pressed.
struct PatchJob {
  PatchMode mode = PatchMode::Zarneth;
  bool createNewFile = true;  // Zarneth mode: true writes a patched copy to the destination
  std::string sourcePath;
  std::string transcriptPath;
  std::string destinationPath;
  std::string startText;
  std::string endText;
  // The model picked in the form, and whether the user allowed a transcript longer than its
  // block (see BlockPlace).
  std::string model;
  bool allowOverrun = false;
};

// The operation the form's job asks for: a patch in place or into a copy, or a cut.
WriteOperation OperationOf(const PatchJob& job);

// Runs the form's job: Run(OperationOf(job)).
[[nodiscard]] WriteResult RunJob(const PatchJob& job);

}  // namespace zarneth

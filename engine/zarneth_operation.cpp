#include "zarneth_operation.h"

#include "c_file.h"
#include "model_presets.h"
#include "quoted_name.h"
#include "run_files.h"
#include "run_report.h"
#include "save_file.h"

namespace zarneth {
namespace {

// What both patches check and write: the image, the transcript, and where it goes.
struct Patch {
  CFile& source;
  const std::string& sourcePath;
  CFile& transcript;
  const std::string& transcriptPath;
  const BlockPlace& at;
};

// With the model's own start, a transcript longer than the model's language block would
// overwrite the firmware after the block: refused unless the user allowed it.
bool RefuseOverrun(const Patch& patch, std::uint32_t transcriptLength, WriteResult& result) {
  const auto preset = FindModel(patch.at.model);
  if (patch.at.allowOverrun || !preset || result.start != preset->start ||
      transcriptLength <= preset->Length())
    return false;
  result.overrunBytes = transcriptLength - preset->Length();
  FailRun(result, Refusal::Overrun,
          "the transcript " + QuotedName(patch.transcriptPath) + " " +
              DescribeOverrun(*preset, transcriptLength));
  return true;
}

// Opens the transcript, with the image already held, and checks that the block lies inside
// the image and within the model's block. Sets the lengths in `result`; false with the run
// failed.
bool CheckBlock(RunFiles& files, const Patch& patch, WriteResult& result) {
  const auto lengths = files.OpenBlock(patch.source, patch.sourcePath, patch.transcript,
                                       patch.transcriptPath, result.start);
  if (!lengths || RefuseOverrun(patch, lengths->transcript, result))
    return false;
  result.fileBytes = lengths->source;
  result.placedBytes = lengths->transcript;
  return true;
}

// Saves the new content, source[0, start) + transcript + source[start + transcript length,
// end), into `destination` (prepared, in `role` at `path`).
WriteResult& WritePatched(RunFiles& files, const Patch& patch, SaveFile& destination,
                          const std::string& path, const char* role, bool dryRun,
                          WriteResult& result) {
  const std::uint64_t start = result.start;
  const std::uint64_t tail = start + result.placedBytes;
  files.Save(destination, path, role, dryRun,
             {{patch.source, "source", 0, start},
              {patch.transcript, "transcript", 0, result.placedBytes, Summing::IntoCrc},
              {patch.source, "source", tail, result.fileBytes - tail}},
             result.warning);
  return result;
}

}  // namespace

WriteResult RunPatch(const PatchInPlace& operation) {
  WriteResult result;
  RunFiles files(result);
  if (!StartRun(result,
                {{"source", operation.sourcePath}, {"transcript", operation.transcriptPath}},
                operation.at.startText))
    return result;
  // The image is the save file's own destination, held from here to the rename.
  SaveFile image;
  if (operation.backup)
    image.KeepBackup();
  const auto use = operation.dryRun ? SaveFile::Use::CheckInPlace : SaveFile::Use::InPlace;
  if (!files.Prepare(image, operation.sourcePath, use, "source"))
    return result;
  CFile transcript;
  const Patch patch{*image.Existing(), operation.sourcePath, transcript, operation.transcriptPath,
                    operation.at};
  if (!CheckBlock(files, patch, result))
    return result;
  WritePatched(files, patch, image, operation.sourcePath, "source", operation.dryRun, result);
  result.backupPath = image.BackupPath();
  return result;
}

WriteResult RunPatch(const PatchCopy& operation) {
  WriteResult result;
  RunFiles files(result);
  if (!StartRun(result,
                {{"source", operation.sourcePath},
                 {"transcript", operation.transcriptPath},
                 {"destination", operation.destinationPath}},
                operation.at.startText))
    return result;
  // A patched copy only reads the image, so it may be read-only.
  CFile source;
  if (!files.Open(source, operation.sourcePath, "source"))
    return result;
  CFile transcript;
  const Patch patch{source, operation.sourcePath, transcript, operation.transcriptPath,
                    operation.at};
  SaveFile copy;
  if (!CheckBlock(files, patch, result) ||
      !files.Prepare(copy, operation.destinationPath, NewFileUse(operation.noClobber),
                     "destination"))
    return result;
  return WritePatched(files, patch, copy, operation.destinationPath, "destination",
                      operation.dryRun, result);
}

}  // namespace zarneth

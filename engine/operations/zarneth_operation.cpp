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
RunStatus RefuseOverrun(const Patch& patch, std::uint32_t start, std::uint32_t transcriptLength,
                        WriteResult& result) {
  const auto preset = FindModel(patch.at.model);
  if (patch.at.allowOverrun || !preset || start != preset->start ||
      transcriptLength <= preset->Length())
    return RunStatus::Done();
  result.overrunBytes = transcriptLength - preset->Length();
  return Refused(Refusal::Overrun, "the transcript " + QuotedName(patch.transcriptPath) + " " +
                                       DescribeOverrun(*preset, transcriptLength));
}

// Opens the transcript, with the image already held, and checks that the block lies inside
// the image and within the model's block: both lengths, also in `result`.
Checked<RunFiles::BlockLengths> CheckBlock(RunFiles& files, const Patch& patch, std::uint32_t start,
                                           WriteResult& result) {
  const auto lengths = files.OpenBlock(patch.source, patch.sourcePath, patch.transcript,
                                       patch.transcriptPath, start);
  if (!lengths)
    return lengths.Refusal();
  if (RunStatus within = RefuseOverrun(patch, start, lengths->transcript, result); !within.ok())
    return within;
  result.fileBytes = lengths->source;
  result.placedBytes = lengths->transcript;
  return *lengths;
}

// Checks (a dry run) or saves the new content, source[0, start) + transcript +
// source[start + transcript length, end), into `destination` (prepared, in `role` at `path`).
RunStatus WritePatched(RunFiles& files, const Patch& patch, std::uint32_t start,
                       const RunFiles::BlockLengths& lengths, SaveFile& destination,
                       const std::string& path, Role role, bool dryRun, WriteResult& result) {
  if (dryRun)
    return RunFiles::Check(destination, path, role);
  const std::uint64_t tail = std::uint64_t{start} + lengths.transcript;
  return files.Write(destination, path, role,
                     {{patch.source, Role::Source, 0, start},
                      {patch.transcript, Role::Transcript, 0, lengths.transcript, Summing::IntoCrc},
                      {patch.source, Role::Source, tail, lengths.source - tail}},
                     result.crc, result.warning);
}

}  // namespace

WriteResult RunPatch(const PatchInPlace& operation) {
  return RunOperation<WriteResult>(
      {{Role::Source, operation.sourcePath}, {Role::Transcript, operation.transcriptPath}},
      operation.at.startText, [&](WriteResult& result, std::uint32_t start) -> RunStatus {
        // The image is the save file's own destination, held from here to the rename.
        RunFiles files;
        SaveFile image;
        if (operation.backup)
          image.KeepBackup();
        const auto use = operation.dryRun ? SaveFile::Use::CheckInPlace : SaveFile::Use::InPlace;
        if (RunStatus prepared = files.Prepare(image, operation.sourcePath, use, Role::Source);
            !prepared.ok())
          return prepared;
        CFile transcript;
        const Patch patch{*image.Existing(), operation.sourcePath, transcript,
                          operation.transcriptPath, operation.at};
        const auto lengths = CheckBlock(files, patch, start, result);
        if (!lengths)
          return lengths.Refusal();
        RunStatus status = WritePatched(files, patch, start, *lengths, image, operation.sourcePath,
                                        Role::Source, operation.dryRun, result);
        result.backupPath = image.BackupPath();
        return status;
      });
}

WriteResult RunPatch(const PatchCopy& operation) {
  return RunOperation<WriteResult>(
      {{Role::Source, operation.sourcePath},
       {Role::Transcript, operation.transcriptPath},
       {Role::Destination, operation.destinationPath}},
      operation.at.startText, [&](WriteResult& result, std::uint32_t start) -> RunStatus {
        // A patched copy only reads the image, so it may be read-only.
        RunFiles files;
        CFile source;
        if (RunStatus opened = files.Open(source, operation.sourcePath, Role::Source); !opened.ok())
          return opened;
        CFile transcript;
        const Patch patch{source, operation.sourcePath, transcript, operation.transcriptPath,
                          operation.at};
        // The destination is checked once the block is: a block that does not fit is said first.
        const auto lengths = CheckBlock(files, patch, start, result);
        if (!lengths)
          return lengths.Refusal();
        SaveFile copy;
        if (RunStatus prepared = files.Prepare(copy, operation.destinationPath,
                                               NewFileUse(operation.noClobber), Role::Destination);
            !prepared.ok())
          return prepared;
        return WritePatched(files, patch, start, *lengths, copy, operation.destinationPath,
                            Role::Destination, operation.dryRun, result);
      });
}

}  // namespace zarneth

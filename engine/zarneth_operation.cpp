#include "zarneth_operation.h"

#include "c_file.h"
#include "model_presets.h"
#include "quoted_name.h"
#include "run_files.h"
#include "run_report.h"
#include "save_file.h"

namespace zarneth {
namespace {

// With the model's own start, a transcript longer than the model's language block would
// overwrite the firmware after the block: refused unless the job allows it.
bool RefuseOverrun(const PatchJob& job, std::uint32_t transcriptLength, RunResult& result) {
  const auto preset = FindModel(job.model);
  if (job.allowOverrun || !preset || result.start != preset->start ||
      transcriptLength <= preset->Length())
    return false;
  result.overrunBytes = transcriptLength - preset->Length();
  FailRun(result, "the transcript " + QuotedName(job.transcriptPath) + " " +
                      DescribeOverrun(*preset, transcriptLength));
  return true;
}

}  // namespace

RunResult RunZarneth(const PatchJob& job, RunResult result) {
  RunFiles files(result);
  // In place, the image is the save file's own destination, held from here to the rename.
  // A patched copy only reads it, so it may be read-only.
  SaveFile inPlace;
  CFile copySource;
  CFile* source = &copySource;
  if (job.createNewFile) {
    if (!files.Open(copySource, job.sourcePath, "source"))
      return result;
  } else {
    const auto use = job.dryRun ? SaveFile::Use::CheckInPlace : SaveFile::Use::InPlace;
    if (job.backup)
      inPlace.KeepBackup();
    if (!files.Prepare(inPlace, job.sourcePath, use, "source"))
      return result;
    source = inPlace.Existing();
  }
  CFile transcript;
  if (!files.Open(transcript, job.transcriptPath, "transcript"))
    return result;
  const auto sourceLength = files.Length(*source, "source");
  const auto transcriptLength = sourceLength ? files.Length(transcript, "transcript") : 0;
  if (!sourceLength || !transcriptLength)
    return result;

  // The block must lie inside the image: no growth, no gap, no block moved elsewhere.
  const std::uint64_t start = result.start;
  const std::uint64_t tail = start + *transcriptLength;
  if (!files.FitsInSource("transcript", start, *transcriptLength, *sourceLength, job.sourcePath))
    return result;
  if (RefuseOverrun(job, *transcriptLength, result))
    return result;

  SaveFile copy;
  SaveFile& destination = job.createNewFile ? copy : inPlace;
  const std::string& destinationPath = job.createNewFile ? job.destinationPath : job.sourcePath;
  const char* role = job.createNewFile ? "destination" : "source";
  if (job.createNewFile &&
      !files.Prepare(copy, job.destinationPath, NewFileUse(job), "destination"))
    return result;
  result.bytesWritten = job.createNewFile ? *sourceLength : *transcriptLength;
  if (job.dryRun)
    return files.Check(destination, destinationPath, role) ? DryRunDone(result) : result;
  if (!files.Begin(destination, destinationPath, role))
    return result;

  // New content = source[0, start) + transcript + source[start + transcript length, end).
  files.WriteAndCommit(destination,
                       {{*source, "source", 0, start},
                        {transcript, "transcript", 0, *transcriptLength, Summing::IntoCrc},
                        {*source, "source", tail, *sourceLength - tail}});
  result.backupPath = destination.BackupPath();
  return result;
}

}  // namespace zarneth

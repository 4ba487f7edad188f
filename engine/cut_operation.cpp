#include "cut_operation.h"

#include "c_file.h"
#include "run_files.h"
#include "save_file.h"

namespace zarneth {

RunResult RunCut(const PatchJob& job, RunResult result) {
  // The source is only read: a read-only image can be cut, and other runs may read it too.
  RunFiles files(result);
  CFile source;
  if (!files.OpenRange(source, job.sourcePath, result.start, result.cutLength))
    return result;

  SaveFile destination;
  if (!files.Prepare(destination, job.destinationPath, NewFileUse(job), "destination"))
    return result;
  result.bytesWritten = result.cutLength;
  if (job.dryRun)
    return files.Check(destination, job.destinationPath, "destination") ? DryRunDone(result)
                                                                        : result;
  if (!files.Begin(destination, job.destinationPath, "destination"))
    return result;
  files.WriteAndCommit(destination,
                       {{source, "source", result.start, result.cutLength, Summing::IntoCrc}});
  return result;
}

}  // namespace zarneth

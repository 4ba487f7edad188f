#include "cut_operation.h"

#include "c_file.h"
#include "run_files.h"
#include "save_file.h"
#include "stream_copy.h"

namespace zarneth {

RunResult RunCut(const PatchJob& job, RunResult result) {
  // The source is only read: a read-only image can be cut, and other runs may read it too.
  CFile source;
  if (!OpenForRole(source, job.sourcePath, CFile::modeRead, "source", result))
    return result;
  const std::uint32_t sourceLength = source.GetLength();
  if (result.start + result.cutLength > sourceLength)
    return FailRun(result, "the range of " + std::to_string(result.cutLength) + " bytes at " +
                               HexText(result.start) + " runs past the end of source file " +
                               job.sourcePath + " (" + std::to_string(sourceLength) + " bytes)");

  SaveFile destination;
  if (!PrepareDestination(destination, job.destinationPath, result) ||
      RefuseSameFile({{"source", &source}, {"destination", destination.Existing()}}, result) ||
      !BeginDestination(destination, job.destinationPath, result))
    return result;

  const std::uint64_t got =
      CopyBytes(source, result.start, destination.File(), 0, result.cutLength);
  if (got < result.cutLength)
    return FailRun(result, ShortReadReason(source, "source", got, result.cutLength));
  destination.Commit();
  result.bytesWritten = got;
  result.outcome = PatchOutcome::Done;
  return result;
}

}  // namespace zarneth

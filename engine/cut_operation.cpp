#include "cut_operation.h"

#include "c_file.h"
#include "run_files.h"
#include "save_file.h"

namespace zarneth {

WriteResult RunCut(const CutRange& operation) {
  WriteResult result;
  RunFiles files(result);
  if (!StartRun(result,
                {{"source", operation.sourcePath}, {"destination", operation.destinationPath}},
                operation.startText))
    return result;
  const auto length = RangeLength(result, operation.endText);
  if (!length)
    return result;
  result.cutLength = *length;

  // The source is only read: a read-only image can be cut, and other runs may read it too.
  CFile source;
  if (!files.OpenRange(source, operation.sourcePath, result.start, *length))
    return result;
  SaveFile destination;
  if (!files.Prepare(destination, operation.destinationPath, NewFileUse(operation.noClobber),
                     "destination"))
    return result;
  result.placedBytes = result.fileBytes = *length;
  files.Save(destination, operation.destinationPath, "destination", operation.dryRun,
             {{source, "source", result.start, *length, Summing::IntoCrc}}, result.warning);
  return result;
}

}  // namespace zarneth

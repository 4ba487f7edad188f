#include "patch_job.h"

#include <type_traits>

#include "cut_operation.h"
#include "zarneth_operation.h"

namespace zarneth {

WriteOperation OperationOf(const PatchJob& job) {
  if (job.mode == PatchMode::Cut)
    return CutRange{.sourcePath = job.sourcePath,
                    .destinationPath = job.destinationPath,
                    .startText = job.startText,
                    .endText = job.endText};
  const BlockPlace at{job.startText, job.model, job.allowOverrun};
  if (!job.createNewFile)
    return PatchInPlace{
        .sourcePath = job.sourcePath, .transcriptPath = job.transcriptPath, .at = at};
  return PatchCopy{.sourcePath = job.sourcePath,
                   .transcriptPath = job.transcriptPath,
                   .destinationPath = job.destinationPath,
                   .at = at};
}

WriteResult Run(const WriteOperation& operation) {
  return std::visit(
      [](const auto& chosen) {
        if constexpr (std::is_same_v<std::decay_t<decltype(chosen)>, CutRange>)
          return RunCut(chosen);
        else
          return RunPatch(chosen);
      },
      operation);
}

WriteResult RunJob(const PatchJob& job) {
  return Run(OperationOf(job));
}

}  // namespace zarneth

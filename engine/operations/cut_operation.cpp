#include "cut_operation.h"

#include "c_file.h"
#include "run_files.h"
#include "save_file.h"

namespace zarneth {

WriteResult RunCut(const CutRange& operation) {
  return RunOperation<WriteResult>(
      {{Role::Source, operation.sourcePath}, {Role::Destination, operation.destinationPath}},
      &operation.startText, [&](WriteResult& result, std::uint32_t start) -> RunStatus {
        // The source is only read: a read-only image can be cut, and other runs may read it too.
        RunFiles files;
        CFile source;
        const auto cutLength =
            files.OpenRange(source, operation.sourcePath, start, operation.endText);
        if (!cutLength)
          return cutLength.Status();
        SaveFile destination;
        destination.TakePermissionsOf(source);
        if (operation.dryRun)
          destination.DryRun();
        if (RunStatus prepared = files.Prepare(destination, operation.destinationPath,
                                               NewFileUse(operation.noClobber), Role::Destination);
            !prepared.ok())
          return prepared;
        result.placedBytes = *cutLength;
        return files.Finish(destination, Role::Destination,
                            {{source, Role::Source, start, *cutLength, Summing::IntoCrc}}, result);
      });
}

}  // namespace zarneth

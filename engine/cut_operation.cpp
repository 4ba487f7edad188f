#include "cut_operation.h"

#include <algorithm>
#include <memory>
#include <string>

#include "c_file.h"
#include "open_role.h"

namespace zarneth {

RunResult RunCut(const PatchJob& job, std::uint32_t start, std::uint32_t cutLength) {
  RunResult result;
  result.start = start;
  result.cutLength = cutLength;

  // The source is never written, but it is opened read-write like in Zarneth mode.
  CFile source;
  if (!OpenForRole(source, job.sourcePath, CFile::modeReadWrite, "source", result))
    return result;
  CFile destination;
  if (!OpenForRole(destination, job.destinationPath, CFile::modeCreate | CFile::modeWrite,
                   "destination", result))
    return result;

  const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(kCutBufferSize);
  // The seek comes first so that a start of 0x80000000 or more is a file error, as in place.
  source.Seek(static_cast<std::int32_t>(start), CFile::begin);

  // The whole range must lie inside the source; checked in 64 bits so that a wrapped length
  // (end more than one below start) is refused here instead of being read for 4 GiB.
  const std::uint32_t sourceLength = source.GetLength();
  if (std::uint64_t{start} + cutLength > sourceLength) {
    const bool wrapped = std::uint64_t{start} + cutLength > 0xFFFFFFFFull + 1;
    return FailRun(
        result, wrapped ? std::string("the end address lies more than one below the start address")
                        : "the range of " + std::to_string(cutLength) + " bytes from offset " +
                              std::to_string(start) + " runs past the end of source file " +
                              job.sourcePath + " (" + std::to_string(sourceLength) + " bytes)");
  }

  std::uint32_t remaining = cutLength;
  while (remaining > 0) {
    const std::uint32_t piece = std::min(remaining, kCutBufferSize);
    const std::uint32_t got = source.Read(buffer.get(), piece);
    if (got < piece) {
      // The source shrank under the run: leave the destination empty, not half a range.
      destination.SetLength(0);
      return FailRun(result, ShortReadReason(source, "source", got, piece));
    }
    destination.Write(buffer.get(), piece);
    result.bytesWritten += piece;
    remaining -= piece;
  }
  source.Close();
  destination.Close();
  result.outcome = PatchOutcome::Done;
  return result;
}

}  // namespace zarneth

#include "read_only_operations.h"

#include <algorithm>
#include <memory>

#include "c_file.h"
#include "run_files.h"
#include "stream_copy.h"

namespace zarneth {

RunResult RunVerify(const PatchJob& job, RunResult result) {
  RunFiles files(result);
  CFile source;
  CFile transcript;
  if (!files.Open(source, job.sourcePath, "source") ||
      !files.Open(transcript, job.transcriptPath, "transcript"))
    return result;
  const auto sourceLength = files.Length(source, "source");
  const auto transcriptLength = sourceLength ? files.Length(transcript, "transcript") : 0;
  if (!sourceLength || !transcriptLength ||
      !files.FitsInSource("transcript", result.start, *transcriptLength, *sourceLength,
                          job.sourcePath))
    return result;

  const auto image = std::make_unique_for_overwrite<unsigned char[]>(kCopyBufferSize);
  const auto block = std::make_unique_for_overwrite<unsigned char[]>(kCopyBufferSize);
  for (std::uint64_t done = 0; done < *transcriptLength;) {
    const auto piece = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(*transcriptLength - done, kCopyBufferSize));
    const std::uint32_t fromImage = source.ReadAt(result.start + done, image.get(), piece);
    const std::uint32_t fromBlock = transcript.ReadAt(done, block.get(), piece);
    if (fromImage < piece || fromBlock < piece)
      return FailRun(result,
                     ShortReadReason(fromImage < piece ? source : transcript,
                                     fromImage < piece ? "source" : "transcript",
                                     done + std::min(fromImage, fromBlock), *transcriptLength));
    for (std::uint32_t i = 0; i < piece; ++i) {
      if (image[i] == block[i])
        continue;
      if (result.differingBytes++ == 0)
        result.firstDifference = result.start + done + i;
    }
    result.imageCrc = UpdateCrc(result.imageCrc, {image.get(), piece});
    result.crc = UpdateCrc(result.crc, {block.get(), piece});
    done += piece;
  }
  result.bytesWritten = 0;
  result.cutLength = *transcriptLength;
  result.outcome = PatchOutcome::Done;
  return result;
}

RunResult RunShow(const PatchJob& job, RunResult result) {
  RunFiles files(result);
  CFile source;
  if (!files.OpenRange(source, job.sourcePath, result.start, result.cutLength))
    return result;
  const std::uint64_t got =
      CopyThroughBuffer(source, result.start, result.cutLength, result.crc, job.sink);
  if (got < result.cutLength)
    return FailRun(result, ShortReadReason(source, "source", got, result.cutLength));
  result.outcome = PatchOutcome::Done;
  return result;
}

}  // namespace zarneth

// The operations that only read: a comparison of the image with a transcript, and a range
// handed to a sink. Each checks its block or range as the writing operations do.
#include <algorithm>
#include <memory>

#include "c_file.h"
#include "operations.h"
#include "run_files.h"
#include "stream_copy.h"

namespace zarneth {

VerifyResult Run(const VerifyBlock& operation) {
  VerifyResult result;
  RunFiles files(result);
  if (!StartRun(result,
                {{"source", operation.sourcePath}, {"transcript", operation.transcriptPath}},
                operation.startText))
    return result;
  CFile source;
  CFile transcript;
  if (!files.Open(source, operation.sourcePath, "source"))
    return result;
  const auto lengths = files.OpenBlock(source, operation.sourcePath, transcript,
                                       operation.transcriptPath, result.start);
  if (!lengths)
    return result;
  const std::uint32_t transcriptLength = lengths->transcript;

  const auto image = std::make_unique_for_overwrite<unsigned char[]>(kCopyBufferSize);
  const auto block = std::make_unique_for_overwrite<unsigned char[]>(kCopyBufferSize);
  for (std::uint64_t done = 0; done < transcriptLength;) {
    const auto piece = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(transcriptLength - done, kCopyBufferSize));
    const std::uint32_t fromImage = source.ReadAt(result.start + done, image.get(), piece);
    const std::uint32_t fromBlock = transcript.ReadAt(done, block.get(), piece);
    if (fromImage < piece || fromBlock < piece) {
      FailRun(result, Refusal::ShortRead,
              ShortReadReason(fromImage < piece ? source : transcript,
                              fromImage < piece ? "source" : "transcript",
                              done + std::min(fromImage, fromBlock), transcriptLength));
      return result;
    }
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
  result.comparedBytes = transcriptLength;
  result.outcome = PatchOutcome::Done;
  return result;
}

ShowResult Run(const ShowRange& operation) {
  ShowResult result;
  RunFiles files(result);
  if (!StartRun(result, {{"source", operation.sourcePath}}, operation.startText))
    return result;
  const auto length = RangeLength(result, operation.endText);
  CFile source;
  if (!length || !files.OpenRange(source, operation.sourcePath, result.start, *length))
    return result;
  result.shownBytes = *length;
  const std::uint64_t got =
      CopyThroughBuffer(source, result.start, *length, result.crc, operation.sink);
  if (got < *length) {
    FailRun(result, Refusal::ShortRead, ShortReadReason(source, "source", got, *length));
    return result;
  }
  result.outcome = PatchOutcome::Done;
  return result;
}

}  // namespace zarneth

// The operations that only read: a comparison of the image with a transcript, and a range
// handed to a sink. Each checks its block or range as the writing operations do.
#include <algorithm>
#include <memory>

#include "c_file.h"
#include "operations.h"
#include "run_files.h"
#include "stop_request.h"
#include "stream_copy.h"

namespace zarneth {

VerifyResult Run(const VerifyBlock& operation) {
  return RunOperation<VerifyResult>(
      {{Role::Source, operation.sourcePath}, {Role::Transcript, operation.transcriptPath}},
      &operation.startText, [&](VerifyResult& result, std::uint32_t start) -> RunStatus {
        RunFiles files;
        CFile source;
        CFile transcript;
        if (RunStatus opened = files.Open(source, operation.sourcePath, Role::Source); !opened.ok())
          return opened;
        const auto lengths = files.OpenBlock(source, transcript, operation.transcriptPath, start);
        if (!lengths)
          return lengths.Status();
        // The transcript is read to the end of what it gives, whatever its size says.
        const auto image = std::make_unique_for_overwrite<unsigned char[]>(kCopyBufferSize);
        const auto block = std::make_unique_for_overwrite<unsigned char[]>(kCopyBufferSize);
        std::uint64_t done = 0;
        for (;;) {
          StopIfRequested();
          const std::uint32_t fromBlock = transcript.ReadAt(done, block.get(), kCopyBufferSize);
          if (fromBlock == 0)
            break;
          if (start + done + fromBlock > kMaxFileLength + 1)
            return RunFiles::TooLarge(transcript, Role::Transcript, done + fromBlock);
          const std::uint32_t fromImage = source.ReadAt(start + done, image.get(), fromBlock);
          if (fromImage < fromBlock)
            return Refused(Refusal::ShortRead,
                           ShortReadReason(source, Role::Source, start + done + fromImage,
                                           start + done + fromBlock));
          for (std::uint32_t i = 0; i < fromBlock; ++i) {
            if (image[i] == block[i])
              continue;
            if (result.differingBytes++ == 0)
              result.firstDifference = start + done + i;
          }
          result.imageCrc = UpdateCrc(result.imageCrc, {image.get(), fromBlock});
          result.crc = UpdateCrc(result.crc, {block.get(), fromBlock});
          done += fromBlock;
        }
        result.comparedBytes = done;
        return RunStatus::Done();
      });
}

ShowResult Run(const ShowRange& operation) {
  return RunOperation<ShowResult>(
      {{Role::Source, operation.sourcePath}}, &operation.startText,
      [&](ShowResult& result, std::uint32_t start) -> RunStatus {
        RunFiles files;
        CFile source;
        const auto length = files.OpenRange(source, operation.sourcePath, start, operation.endText);
        if (!length)
          return length.Status();
        result.shownBytes = *length;
        const std::uint64_t got =
            CopyThroughBuffer(source, start, *length, result.crc, operation.sink);
        if (got < *length)
          return Refused(Refusal::ShortRead, ShortReadReason(source, Role::Source, got, *length));
        return RunStatus::Done();
      });
}

}  // namespace zarneth

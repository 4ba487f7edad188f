#include "zarneth_operation.h"

#include <algorithm>
#include <memory>
#include <string>

#include "c_file.h"
#include "open_role.h"

namespace zarneth {
namespace {

// The whole transcript is read before the source is touched, so a transcript that comes up
// short leaves the image exactly as it was.
RunResult& PatchInPlace(CFile& source, CFile& transcript, RunResult& result) {
  const std::uint32_t transcriptLength = transcript.GetLength();
  const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(transcriptLength);
  const std::uint32_t got = transcript.Read(buffer.get(), transcriptLength);
  if (got < transcriptLength)
    return FailRun(result, ShortReadReason(transcript, "transcript", got, transcriptLength));

  result.patchOffset = result.start;
  source.Seek(static_cast<std::int32_t>(result.start), CFile::begin);
  source.Write(buffer.get(), transcriptLength);
  transcript.Close();
  source.Close();
  result.bytesWritten = transcriptLength;
  result.outcome = PatchOutcome::Done;
  return result;
}

// Destination = source[0, start) + transcript + source[start + transcriptLength, end).
RunResult& PatchIntoCopy(CFile& source, CFile& transcript, const PatchJob& job, RunResult& result) {
  CFile destination;
  if (!OpenForRole(destination, job.destinationPath, CFile::modeCreate | CFile::modeWrite,
                   "destination", result))
    return result;

  const std::uint32_t sourceLength = source.GetLength();
  const std::uint32_t transcriptLength = transcript.GetLength();
  const std::uint32_t start = std::min(result.start, sourceLength);
  result.patchOffset = start;
  // One buffer for every piece; it is never read before a piece is read into it.
  const auto buffer =
      std::make_unique_for_overwrite<unsigned char[]>(std::max(sourceLength, transcriptLength));

  // A piece that comes up short means a file changed under the run: the copy would hold
  // bytes that were never read, so the destination is emptied and the run fails.
  auto copyPiece = [&](CFile& from, const char* role, std::uint32_t count) {
    const std::uint32_t got = from.Read(buffer.get(), count);
    if (got < count) {
      destination.SetLength(0);
      FailRun(result, ShortReadReason(from, role, got, count));
      return false;
    }
    destination.Write(buffer.get(), count);
    result.bytesWritten += count;
    return true;
  };

  if (!copyPiece(source, "source", start))
    return result;
  if (!copyPiece(transcript, "transcript", transcriptLength))
    return result;
  // 64-bit sum: near 4 GiB a 32-bit one would wrap and copy a tail that is not there.
  const std::uint64_t transcriptEnd = std::uint64_t{start} + transcriptLength;
  if (transcriptEnd < sourceLength) {
    source.Seek(static_cast<std::int32_t>(transcriptEnd), CFile::begin);
    if (!copyPiece(source, "source", static_cast<std::uint32_t>(sourceLength - transcriptEnd)))
      return result;
  }
  source.Close();
  transcript.Close();
  destination.Close();
  result.outcome = PatchOutcome::Done;
  return result;
}

}  // namespace

RunResult RunZarneth(const PatchJob& job, std::uint32_t start) {
  RunResult result;
  result.start = start;
  if (job.sourcePath.empty())
    return FailRun(result, "no source file given");
  if (job.transcriptPath.empty())
    return FailRun(result, "no transcript file given");

  // The source is opened read-write in both variants: a read-only image is refused even
  // where it would only be read.
  CFile source;
  if (!OpenForRole(source, job.sourcePath, CFile::modeReadWrite, "source", result))
    return result;
  CFile transcript;
  if (!OpenForRole(transcript, job.transcriptPath, CFile::modeRead, "transcript", result))
    return result;

  if (!job.createNewFile)
    return PatchInPlace(source, transcript, result);
  return PatchIntoCopy(source, transcript, job, result);
}

}  // namespace zarneth

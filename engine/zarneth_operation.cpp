#include "zarneth_operation.h"

#include "c_file.h"
#include "journal.h"
#include "run_files.h"
#include "save_file.h"
#include "stream_copy.h"

namespace zarneth {
namespace {

// The image's old bytes go to the journal first; then the transcript is written and synced;
// then the journal goes. Any failure or stop on the way plays the journal back.
RunResult& PatchInPlace(CFile& source, CFile& transcript, std::uint32_t transcriptLength,
                        RunResult& result) {
  if (transcriptLength > 0) {
    InPlaceJournal journal(source);
    std::string whyNot;
    if (!journal.Begin(result.start, transcriptLength, &whyNot))
      return FailRun(result, "cannot create the undo journal " + journal.GetPath() +
                                 " of source file " + source.GetFilePath() + ": " + whyNot);
    try {
      const std::uint64_t got = CopyBytes(transcript, 0, source, result.start, transcriptLength);
      if (got < transcriptLength) {
        journal.PlayBack();
        return FailRun(result, ShortReadReason(transcript, "transcript", got, transcriptLength));
      }
      source.Sync();
      journal.Finish();
    } catch (...) {
      // If the playback fails too, the journal stays for the next run to play back.
      journal.PlayBack();
      throw;
    }
  }
  source.Close();
  transcript.Close();
  result.bytesWritten = transcriptLength;
  result.outcome = PatchOutcome::Done;
  return result;
}

// Destination = source[0, start) + transcript + source[start + transcript length, end).
RunResult& PatchIntoCopy(CFile& source, CFile& transcript, std::uint32_t sourceLength,
                         std::uint32_t transcriptLength, const PatchJob& job, RunResult& result) {
  SaveFile destination;
  if (!PrepareDestination(destination, job.destinationPath, result) ||
      RefuseSameFile({{"source", &source},
                      {"transcript", &transcript},
                      {"destination", destination.Existing()}},
                     result) ||
      !BeginDestination(destination, job.destinationPath, result))
    return result;

  const std::uint64_t start = result.start;
  const std::uint64_t tail = start + transcriptLength;
  struct Piece {
    CFile& from;
    const char* role;
    std::uint64_t fromOffset;
    std::uint64_t toOffset;
    std::uint64_t count;
  };
  for (const Piece& piece : {Piece{source, "source", 0, 0, start},
                             Piece{transcript, "transcript", 0, start, transcriptLength},
                             Piece{source, "source", tail, tail, sourceLength - tail}}) {
    const std::uint64_t got =
        CopyBytes(piece.from, piece.fromOffset, destination.File(), piece.toOffset, piece.count);
    if (got < piece.count)
      return FailRun(result, ShortReadReason(piece.from, piece.role, got, piece.count));
  }
  destination.Commit();
  result.bytesWritten = sourceLength;
  result.outcome = PatchOutcome::Done;
  return result;
}

}  // namespace

RunResult RunZarneth(const PatchJob& job, RunResult result) {
  // Only in place is the image written; a patched copy reads it, so it may be read-only.
  CFile source;
  const unsigned sourceMode = job.createNewFile ? CFile::modeRead : CFile::modeReadWrite;
  if (!OpenForRole(source, job.sourcePath, sourceMode, "source", result))
    return result;
  CFile transcript;
  if (!OpenForRole(transcript, job.transcriptPath, CFile::modeRead, "transcript", result) ||
      RefuseSameFile({{"source", &source}, {"transcript", &transcript}}, result))
    return result;

  // The block must lie inside the image: no growth, no gap, no block moved elsewhere.
  const std::uint32_t sourceLength = source.GetLength();
  const std::uint32_t transcriptLength = transcript.GetLength();
  if (std::uint64_t{result.start} + transcriptLength > sourceLength)
    return FailRun(result, "the transcript of " + std::to_string(transcriptLength) + " bytes at " +
                               HexText(result.start) + " runs past the end of image " +
                               job.sourcePath + " (" + std::to_string(sourceLength) + " bytes)");

  if (!job.createNewFile)
    return PatchInPlace(source, transcript, transcriptLength, result);
  return PatchIntoCopy(source, transcript, sourceLength, transcriptLength, job, result);
}

}  // namespace zarneth

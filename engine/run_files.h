#pragma once

// How an operation takes hold of its files and reports a refusal: each file is opened for
// its role ("source", "transcript", "destination"), one file in two roles is refused in
// one sentence whatever the roles and their order, and every refusal becomes a Failed
// result with a sentence naming the role, the quoted path and the reason.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "c_file.h"
#include "patch_job.h"
#include "save_file.h"
#include "stream_copy.h"

namespace zarneth {

class RunFiles {
 public:
  explicit RunFiles(RunResult& result) : m_result(result) {}

  // Opens `file` for reading in one role.
  bool Open(CFile& file, const std::string& path, const char* role);

  // Checks and holds the destination of a new file, or the image patched in place.
  bool Prepare(SaveFile& destination, const std::string& path, SaveFile::Use use, const char* role);

  // Creates the destination's temporary file; the last step before anything is written.
  bool Begin(SaveFile& destination, const std::string& path, const char* role);
  // For a dry run: Begin's checks, with its refusals, creating nothing.
  bool Check(const SaveFile& destination, const std::string& path, const char* role);

  // Opens the source for reading and checks that the range of `length` bytes at `start`
  // lies inside it; false with the run failed otherwise.
  bool OpenRange(CFile& source, const std::string& path, std::uint64_t start, std::uint64_t length);

  // Whether `length` bytes at `start` (the transcript's place, the range cut or shown) lie
  // inside the source; otherwise the run fails and says so, naming `what`.
  bool FitsInSource(const char* what, std::uint64_t start, std::uint64_t length,
                    std::uint32_t sourceLength, const std::string& sourcePath);

  // The file's length, or none with the run failed for a file beyond 32-bit offsets.
  std::optional<std::uint32_t> Length(const CFile& file, const char* role);

  // A run of bytes of one file, copied into the new content; summed: the bytes the run puts
  // in place, whose CRC-32 goes into the result, summed while they are copied.
  struct Piece {
    CFile& from;
    const char* role;
    std::uint64_t offset;
    std::uint64_t count;
    Summing summing = Summing::None;
  };
  // Writes the pieces one after another into the destination's temporary file and commits
  // it: Done (with the commit's warning, if any), or Failed when a piece came up short, with
  // every file as it was. `destination` was begun.
  bool WriteAndCommit(SaveFile& destination, std::initializer_list<Piece> pieces);

 private:
  // Takes `file`, just opened in `role`, among the held files: false, with the run failed,
  // when another role holds the same file.
  bool Hold(const CFile& file, const char* role);
  // Fails the run when a held file of another role has `identity`; true then.
  bool RefuseSameFile(std::optional<FileIdentity> identity, const std::string& path,
                      const char* role);
  // A refused open: the same-file refusal where the path leads to a held file, else
  // `cannot` with the system's reason. Always false.
  bool RefuseRefused(const std::string& cannot, const std::string& path, const char* role,
                     const std::string& why);
  bool Fail(const std::string& cannot, const std::string& why);

  RunResult& m_result;
  std::vector<std::pair<const char*, const CFile*>> m_held;
};

// How a job's new file takes its name: a new name only with noClobber.
SaveFile::Use NewFileUse(const PatchJob& job);

// A dry run that passed every check: Done, with nothing written.
RunResult& DryRunDone(RunResult& result);

// Marks `result` Failed with `reason` and returns it, for the early exits of an operation.
RunResult& FailRun(RunResult& result, std::string reason);

// The reason for a read that ended before `wanted` bytes: the file changed under the run.
std::string ShortReadReason(const CFile& file, const char* role, std::uint64_t got,
                            std::uint64_t wanted);

}  // namespace zarneth

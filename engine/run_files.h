#pragma once

// How an operation takes hold of its files and reports a refusal: each file is opened for
// its role ("source", "transcript", "destination"), one file in two roles is refused in
// one sentence whatever the roles and their order, and every refusal becomes a Failed
// result of its kind with a sentence naming the role, the quoted path and the reason.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "c_file.h"
#include "operations.h"
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

  // Opens the source for reading and checks that the range of `length` bytes at `start`
  // lies inside it; false with the run failed otherwise.
  bool OpenRange(CFile& source, const std::string& path, std::uint64_t start, std::uint64_t length);

  // With the source held, opens the transcript and checks that it lies inside the source at
  // `start` (no growth, no gap, no block moved elsewhere): both lengths, or none with the
  // run failed.
  struct BlockLengths {
    std::uint32_t source;
    std::uint32_t transcript;
  };
  std::optional<BlockLengths> OpenBlock(const CFile& source, const std::string& sourcePath,
                                        CFile& transcript, const std::string& transcriptPath,
                                        std::uint64_t start);

  // A run of bytes of one file, copied into the new content; summed: the bytes the run puts
  // in place, whose CRC-32 goes into the result, summed while they are copied.
  struct Piece {
    CFile& from;
    const char* role;
    std::uint64_t offset;
    std::uint64_t count;
    Summing summing = Summing::None;
  };
  // The run's last step on its prepared destination (in `role` at `path`). A dry run makes
  // Begin's checks and is Done, creating nothing. A real run creates the temporary file,
  // writes the pieces one after another into it and commits it: Done, with the commit's
  // warning (if any) in `warning`, or Failed when a check refused or a piece came up short,
  // with every file as it was.
  void Save(SaveFile& destination, const std::string& path, const char* role, bool dryRun,
            std::initializer_list<Piece> pieces, std::string& warning);

 private:
  // Whether `length` bytes at `start` (the transcript's place, the range cut or shown) lie
  // inside the source; otherwise the run fails and says so, naming `what`.
  bool FitsInSource(const char* what, std::uint64_t start, std::uint64_t length,
                    std::uint32_t sourceLength, const std::string& sourcePath);
  // Where the file system shares blocks and the new content is the first piece's file with
  // pieces of others written over it in place (a patch), `to` is made a clone of that file
  // and the file is returned: its pieces need no copy. Null otherwise.
  static const CFile* CloneWhereBlocksAreShared(std::initializer_list<Piece> pieces, CFile& to);
  // The file's length, or none with the run failed for a file beyond 32-bit offsets.
  std::optional<std::uint32_t> Length(const CFile& file, const char* role);

  // Each returns whether the run may go on: false once it failed.

  // Takes `file`, just opened in `role`, among the held files: refused when another role
  // holds the same file.
  bool Hold(const CFile& file, const char* role);
  // Refused when a held file of another role has `identity`.
  bool NotHeldElsewhere(std::optional<FileIdentity> identity, const std::string& path,
                        const char* role);
  // A refused open: the same-file refusal where the path leads to a held file, else
  // `cannot` with the system's reason. Always false.
  bool RefuseRefused(Refusal kind, const std::string& cannot, const std::string& path,
                     const char* role, const std::string& why);
  bool Fail(Refusal kind, const std::string& cannot, const std::string& why);

  RunResult& m_result;
  std::vector<std::pair<const char*, const CFile*>> m_held;
};

// A path an operation needs, with its role; given in the order the form lists them.
struct NeededPath {
  const char* role;
  const std::string& path;
};

// The checks every run makes before it opens a file: a stop asked for (RunStopped), each
// needed path given, the start address parsed into `result.start`. False with the run
// failed.
bool StartRun(RunResult& result, std::initializer_list<NeededPath> paths,
              const std::string& startText);

// A range's length, end - start + 1, after StartRun; none with the run failed for an end
// that is no address or lies more than one below the start.
std::optional<std::uint64_t> RangeLength(RunResult& result, const std::string& endText);

// How a new file takes its name: a new name only with noClobber.
SaveFile::Use NewFileUse(bool noClobber);

// Marks `result` Failed for `kind` with `reason`, for the early exits of an operation.
void FailRun(RunResult& result, Refusal kind, std::string reason);

// The reason for a read that ended before `wanted` bytes: the file changed under the run.
std::string ShortReadReason(const CFile& file, const char* role, std::uint64_t got,
                            std::uint64_t wanted);

}  // namespace zarneth

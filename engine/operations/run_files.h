#pragma once

// How an operation takes hold of its files and reports a refusal. Each file is opened for
// its Role; one file in two roles is refused in one sentence whatever the roles and their
// order; every refusal is a RunStatus of its kind with a sentence naming the role, the
// quoted path and the reason. Each step returns its value or the refusal that ends the run.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "c_file.h"
#include "file_bytes.h"
#include "misuse.h"
#include "operations.h"
#include "save_file.h"
#include "stream_copy.h"

namespace zarneth {

// The part a file plays in a run: the image, the transcript (or the block looked for), the
// file written, the image compared with the source, the block a patch replaces.
enum class Role { Source, Transcript, Destination, Compared, Replaced };

// A step's value, or the refusal that ended the run, as LLVM's Expected or abseil's
// StatusOr. A refusal must be one (a done status is no refusal), and the value is there to
// take only where there is one: both are checked, not trusted.
template <typename T>
class [[nodiscard]] Checked {
 public:
  // Not explicit: a step returns its value or its refusal as it is.
  Checked(T value) : m_value(std::move(value)) {}
  Checked(RunStatus refusal) : m_refusal(std::move(refusal)) {
    if (m_refusal.ok())
      Misused("a step refused with a done status");
  }
  explicit operator bool() const { return m_value.has_value(); }
  const T& operator*() const { return Value(); }
  const T* operator->() const { return &Value(); }
  const RunStatus& Status() const { return m_refusal; }

 private:
  const T& Value() const {
    if (!m_value)
      Misused("a refused step's value was taken: " + m_refusal.reason);
    return *m_value;
  }

  std::optional<T> m_value;
  RunStatus m_refusal;
};

// A refused step: `kind`, with `reason`.
RunStatus Refused(Refusal kind, std::string reason);

// A path an operation needs, with its role; given in the order the form lists them.
struct NeededPath {
  Role role;
  const std::string& path;
};

// The checks every run makes before it opens a file: a stop asked for (RunStopped), each
// needed path given, the start address parsed. The start address, or the refusal. A run
// that finds its start in the image gives no start text (null), and starts with 0.
Checked<std::uint32_t> StartRun(std::initializer_list<NeededPath> paths,
                                const std::string* startText);

// A range's length, end - start + 1; refused for an end that is no address or lies more
// than one below the start.
Checked<std::uint64_t> RangeLength(std::uint32_t start, const std::string& endText);

// How a new file takes its name: a new name only with noClobber.
SaveFile::Use NewFileUse(bool noClobber);

// The reason for a read that ended before `wanted` bytes: the file changed under the run.
std::string ShortReadReason(const CFile& file, Role role, std::uint64_t got, std::uint64_t wanted);

// The one opening of every operation: StartRun's checks of `paths` and `startText`, then
// `body(result, start)`, which returns how the run ended, into a new result of its type.
template <typename Result, typename Body>
Result RunOperation(std::initializer_list<NeededPath> paths, const std::string* startText,
                    Body body) {
  Result result;
  const auto start = StartRun(paths, startText);
  if (!start) {
    result.status = start.Status();
    return result;
  }
  result.start = *start;
  result.status = body(result, *start);
  return result;
}

class RunFiles {
 public:
  // Opens `file` for reading in `role`.
  RunStatus Open(CFile& file, const std::string& path, Role role);
  // The file's length, or the refusal of a file beyond 32-bit offsets.
  static Checked<std::uint32_t> Length(const CFile& file, Role role);
  // Opens `file` for reading in `role`: its length, refused beyond 32-bit offsets.
  Checked<std::uint32_t> OpenMeasured(CFile& file, const std::string& path, Role role);
  // Opens a block to look for or to replace in `role` and reads it to its end: its bytes
  // (held, or read from the file where long), refused when it holds none or is beyond
  // 32-bit offsets. The file stays held for the run.
  Checked<BlockBytes> ReadBlock(CFile& file, const std::string& path, Role role);
  // The refusal of a file of `length` bytes, beyond 32-bit offsets.
  static RunStatus TooLarge(const CFile& file, Role role, std::uint64_t length);

  // Checks and holds the destination of a new file, or the image patched in place.
  RunStatus Prepare(SaveFile& destination, const std::string& path, SaveFile::Use use, Role role);

  // The range from `start` through the end address `endText` (RangeLength), then the source
  // opened for reading with the range checked to lie inside it: the range's length.
  Checked<std::uint64_t> OpenRange(CFile& source, const std::string& path, std::uint32_t start,
                                   const std::string& endText);

  // With the source held, opens the transcript and checks that it lies inside the source at
  // `start` (no growth, no gap, no block moved elsewhere): both lengths.
  struct BlockLengths {
    std::uint32_t source;
    std::uint32_t transcript;
  };
  Checked<BlockLengths> OpenBlock(const CFile& source, CFile& transcript,
                                  const std::string& transcriptPath, std::uint64_t start);

  // A run of bytes of one file, copied into the new content; summed: the bytes the run puts
  // in place, whose CRC-32 the run reports, summed while they are copied.
  struct Piece {
    CFile& from;
    Role role;
    std::uint64_t offset;
    std::uint64_t count;
    Summing summing = Summing::None;
  };

  // A dry run's last step on its prepared destination (in `role`): the checks the write
  // would make before it copies, creating nothing.
  static RunStatus Check(const SaveFile& destination, Role role);
  // A real run's: creates the temporary file, writes the pieces one after another into it
  // and commits it: the CRC-32 of the summed pieces and the commit's warning (if any).
  // Refused when a check refused or a piece came up short, with every file as it was.
  struct Written {
    std::uint32_t crc = 0;
    std::string warning;
  };
  Checked<Written> Write(SaveFile& destination, Role role, std::initializer_list<Piece> pieces);
  // A run's last step on `destination`: Check for a dry run (SaveFile::DryRun), else Write,
  // whose CRC-32 and warning go into `result`.
  RunStatus Finish(SaveFile& destination, Role role, std::initializer_list<Piece> pieces,
                   WriteResult& result);

 private:
  // Where the file system shares blocks and the new content is the first piece's file with
  // pieces of others written over it in place (a patch), `to` is made a clone of that file
  // and the file is returned: its pieces need no copy. Null otherwise.
  static const CFile* CloneWhereBlocksAreShared(std::initializer_list<Piece> pieces, CFile& to);

  // Takes `file`, just opened in `role`, among the held files: refused when another role
  // holds the same file.
  RunStatus Hold(const CFile& file, Role role);
  // Refused when a held file of another role has `identity`.
  RunStatus NotHeldElsewhere(std::optional<FileIdentity> identity, const std::string& path,
                             Role role) const;
  // A refused open in `role`: the same-file refusal where the path leads to a held file,
  // else `kind` with `cannot`, the sentence that says why.
  RunStatus RefusedOpen(Refusal kind, const std::string& cannot, const std::string& path,
                        Role role) const;

  std::vector<std::pair<Role, const CFile*>> m_held;
};

}  // namespace zarneth

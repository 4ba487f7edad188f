#include "run_files.h"

#include "file_system.h"
#include "hex_address.h"
#include "quoted_name.h"
#include "run_report.h"
#include "stop_request.h"
#include "stream_copy.h"
#include "system_copy.h"
#include "words.h"

namespace zarneth {
namespace {

// Each sentence that names a file by its role is written once per role, so that it reads
// as a whole sentence in every language (a role is no noun to splice into another).

std::string NoFileGiven(Role role) {
  switch (role) {
    case Role::Source:
      return Tr("no source file given");
    case Role::Transcript:
      return Tr("no transcript file given");
    case Role::Destination:
      return Tr("no destination file given");
    case Role::Compared:
      return Tr("no compared file given");
    case Role::Replaced:
      return Tr("no replaced block file given");
  }
  return {};
}

// `file` cannot be opened for reading, for `why`.
std::string CannotOpen(Role role, const std::string& file, const std::string& why) {
  switch (role) {
    case Role::Transcript:
      // TRANSLATORS: %1$s is the file, %2$s why.
      return TrFill("cannot open transcript file %1$s for reading: %2$s", {file, why});
    case Role::Compared:
      // TRANSLATORS: %1$s is the file, %2$s why.
      return TrFill("cannot open compared file %1$s for reading: %2$s", {file, why});
    case Role::Replaced:
      // TRANSLATORS: %1$s is the file, %2$s why.
      return TrFill("cannot open replaced block file %1$s for reading: %2$s", {file, why});
    default:
      // TRANSLATORS: %1$s is the file, %2$s why.
      return TrFill("cannot open source file %1$s for reading: %2$s", {file, why});
  }
}

// The new file of `role` cannot be made, for `why`.
std::string CannotPrepare(const SaveFile& file, Role role, const std::string& path,
                          const std::string& why) {
  if (file.IsInPlace() || role == Role::Source)
    // TRANSLATORS: %1$s is the file, %2$s why.
    return TrFill("cannot patch source file %1$s in place: %2$s", {QuotedName(path), why});
  // TRANSLATORS: %1$s is the file, %2$s why.
  return TrFill("cannot create destination file %1$s: %2$s", {QuotedName(path), why});
}

// Which address a text gives, for the refusal's words.
enum class AddressOf { Start, End };

// The parsed address, or the refusal of a text that is not an address.
Checked<std::uint32_t> Address(AddressOf which, const std::string& text) {
  if (const auto value = ParseHexAddress(text))
    return *value;
  // An empty field says so; the advice is the same.
  const bool empty = text.find_first_not_of(" \t") == std::string::npos;
  const bool start = which == AddressOf::Start;
  std::string why;
  if (empty)
    why = start ? Tr("the start address is empty: give 1 to 8 hex digits, optionally after 0x")
                : Tr("the end address is empty: give 1 to 8 hex digits, optionally after 0x");
  else
    why = start ? TrFill(
                      "the start address '%s' is not an address: give 1 to 8 hex digits, "
                      "optionally after 0x",
                      {text})
                : TrFill(
                      "the end address '%s' is not an address: give 1 to 8 hex digits, "
                      "optionally after 0x",
                      {text});
  return Refused(Refusal::BadAddress, why);
}

// One file given in two roles, `first` at `firstPath` and `second` at `secondPath`.
std::string SameFileTwice(Role first, const std::string& firstPath, Role second,
                          const std::string& secondPath) {
  if (second < first) {
    std::swap(first, second);
    return SameFileTwice(first, secondPath, second, firstPath);
  }
  const std::string one = QuotedName(firstPath);
  const std::string other = QuotedName(secondPath);
  using enum Role;
  if (first == Source && second == Transcript)
    // TRANSLATORS: %1$s and %2$s are files, one file under two names or the same name twice.
    return TrFill("the source file %1$s and the transcript file %2$s are the same file",
                  {one, other});
  if (first == Source && second == Destination)
    // TRANSLATORS: %1$s and %2$s are files, one file under two names or the same name twice.
    return TrFill("the source file %1$s and the destination file %2$s are the same file",
                  {one, other});
  if (first == Transcript && second == Destination)
    // TRANSLATORS: %1$s and %2$s are files, one file under two names or the same name twice.
    return TrFill("the transcript file %1$s and the destination file %2$s are the same file",
                  {one, other});
  if (first == Source && second == Compared)
    // TRANSLATORS: %1$s and %2$s are files, one file under two names or the same name twice.
    return TrFill("the source file %1$s and the compared file %2$s are the same file",
                  {one, other});
  if (first == Source && second == Replaced)
    // TRANSLATORS: %1$s and %2$s are files, one file under two names or the same name twice.
    return TrFill("the source file %1$s and the replaced block file %2$s are the same file",
                  {one, other});
  // TRANSLATORS: %1$s and %2$s are files, one file under two names or the same name twice.
  return TrFill("the files %1$s and %2$s are the same file", {one, other});
}

// What must lie inside the source, for the refusal's words.
enum class Span { Transcript, Range };

// Whether `length` bytes at `start` (the transcript's place, the range cut or shown) lie
// inside the source; otherwise the refusal, naming `what`.
RunStatus FitsInSource(Span what, std::uint64_t start, std::uint64_t length,
                       std::uint32_t sourceLength, const std::string& sourcePath) {
  if (start + length <= sourceLength)
    return RunStatus::Done();
  const std::string bytes = ByteCount(length);
  const std::string source = QuotedName(sourcePath);
  const std::string sourceBytes = ByteCount(sourceLength);
  if (what == Span::Range)
    return Refused(Refusal::OutsideImage,
                   // TRANSLATORS: %1$s is a length ("256 bytes"), %2$s an address, %3$s the
                   // source file, %4$s its length.
                   TrFill("the range of %1$s at %2$s runs past the end of source file %3$s (%4$s)",
                          {bytes, HexText(start), source, sourceBytes}));
  return Refused(
      Refusal::OutsideImage,
      // TRANSLATORS: %1$s is a length ("256 bytes"), %2$s an address, %3$s the source
      // file, %4$s its length.
      TrFill("the transcript of %1$s at %2$s runs past the end of source file %3$s (%4$s)",
             {bytes, HexText(start), source, sourceBytes}));
}

}  // namespace

RunStatus Refused(Refusal kind, std::string reason) {
  return {kind, std::move(reason), 0};
}

Checked<std::uint32_t> StartRun(std::initializer_list<NeededPath> paths,
                                const std::string* startText) {
  StopIfRequested();
  for (const NeededPath& needed : paths) {
    if (needed.path.empty())
      return Refused(Refusal::MissingPath, NoFileGiven(needed.role));
  }
  return startText ? Address(AddressOf::Start, *startText) : Checked<std::uint32_t>(0u);
}

Checked<std::uint64_t> RangeLength(std::uint32_t start, const std::string& endText) {
  const auto end = Address(AddressOf::End, endText);
  if (!end)
    return end.Status();
  // Inclusive: end one below start is an empty range; further below is no range at all.
  if (std::uint64_t{*end} + 1 < start)
    return Refused(Refusal::BadAddress,
                   // TRANSLATORS: %1$s and %2$s are addresses.
                   TrFill("the end address %s lies more than one below the start address %s",
                          {HexText(*end), HexText(start)}));
  return std::uint64_t{*end} + 1 - start;
}

SaveFile::Use NewFileUse(bool noClobber) {
  return noClobber ? SaveFile::Use::NewNameOnly : SaveFile::Use::NewFile;
}

std::string ShortReadReason(const CFile& file, Role role, std::uint64_t got, std::uint64_t wanted) {
  const std::string name = QuotedName(file.GetFilePath());
  const std::string read = std::to_string(got);
  const std::string whole = ByteCount(wanted);
  switch (role) {
    case Role::Transcript:
      // TRANSLATORS: %1$s is the file, %2$s a count of bytes, %3$s a length ("256 bytes").
      return TrFill("transcript file %1$s came up short: read %2$s of %3$s (did it change?)",
                    {name, read, whole});
    case Role::Replaced:
      // TRANSLATORS: %1$s is the file, %2$s a count of bytes, %3$s a length ("256 bytes").
      return TrFill("replaced block file %1$s came up short: read %2$s of %3$s (did it change?)",
                    {name, read, whole});
    case Role::Compared:
      // TRANSLATORS: %1$s is the file, %2$s a count of bytes, %3$s a length ("256 bytes").
      return TrFill("compared file %1$s came up short: read %2$s of %3$s (did it change?)",
                    {name, read, whole});
    default:
      // TRANSLATORS: %1$s is the file, %2$s a count of bytes, %3$s a length ("256 bytes").
      return TrFill("source file %1$s came up short: read %2$s of %3$s (did it change?)",
                    {name, read, whole});
  }
}

RunStatus RunFiles::NotHeldElsewhere(std::optional<FileIdentity> identity, const std::string& path,
                                     Role role) const {
  for (const auto& [heldRole, held] : m_held) {
    if (identity && held->GetIdentity() == *identity)
      return Refused(Refusal::SameFile, SameFileTwice(heldRole, held->GetFilePath(), role, path));
  }
  return RunStatus::Done();
}

RunStatus RunFiles::RefusedOpen(Refusal kind, const std::string& cannot, const std::string& path,
                                Role role) const {
  // A file refused for being in use may be one this run already holds in another role.
  RunStatus sameFile = NotHeldElsewhere(IdentityOfPath(path), path, role);
  return sameFile.ok() ? Refused(kind, cannot) : sameFile;
}

RunStatus RunFiles::Hold(const CFile& file, Role role) {
  RunStatus free = NotHeldElsewhere(file.GetIdentity(), file.GetFilePath(), role);
  if (free.ok())
    m_held.emplace_back(role, &file);
  return free;
}

RunStatus RunFiles::Open(CFile& file, const std::string& path, Role role) {
  if (const FileStatus opened = file.Open(path, CFile::modeRead); !opened)
    return RefusedOpen(Refusal::CannotRead,
                       CannotOpen(role, QuotedName(path), opened.Why().Words()), path, role);
  return Hold(file, role);
}

Checked<std::uint32_t> RunFiles::OpenMeasured(CFile& file, const std::string& path, Role role) {
  if (RunStatus opened = Open(file, path, role); !opened.ok())
    return opened;
  return Length(file, role);
}

Checked<BlockBytes> RunFiles::ReadBlock(CFile& file, const std::string& path, Role role) {
  const auto length = OpenMeasured(file, path, role);
  if (!length)
    return length.Status();
  // Read to the end of what it gives: a file whose size says nothing (/proc) has bytes too.
  BlockBytes block(file);
  if (block.Length() == 0)
    return Refused(
        Refusal::EmptyBlock,
        role == Role::Replaced
            ? TrFill("replaced block file %s is empty: it has no byte to find", {QuotedName(path)})
            : TrFill("transcript file %s is empty: it has no byte to find", {QuotedName(path)}));
  if (block.Length() > kMaxFileLength)
    return TooLarge(file, role, block.Length());
  return block;
}

RunStatus RunFiles::Prepare(SaveFile& destination, const std::string& path, SaveFile::Use use,
                            Role role) {
  if (const FileStatus prepared = destination.Prepare(path, use); !prepared)
    return RefusedOpen(Refusal::CannotWrite,
                       CannotPrepare(destination, role, path, prepared.Why().Words()), path, role);
  const CFile* existing = destination.Existing();
  return existing ? Hold(*existing, role) : RunStatus::Done();
}

Checked<std::uint64_t> RunFiles::OpenRange(CFile& source, const std::string& path,
                                           std::uint32_t start, const std::string& endText) {
  const auto length = RangeLength(start, endText);
  if (!length)
    return length;
  if (RunStatus opened = Open(source, path, Role::Source); !opened.ok())
    return opened;
  const auto sourceLength = Length(source, Role::Source);
  if (!sourceLength)
    return sourceLength.Status();
  if (RunStatus fits = FitsInSource(Span::Range, start, *length, *sourceLength, path); !fits.ok())
    return fits;
  return length;
}

Checked<std::uint32_t> RunFiles::Length(const CFile& file, Role role) {
  const std::uint64_t length = file.GetLength();
  if (length <= kMaxFileLength)
    return static_cast<std::uint32_t>(length);
  return TooLarge(file, role, length);
}

RunStatus RunFiles::TooLarge(const CFile& file, Role role, std::uint64_t length) {
  const std::string name = QuotedName(file.GetFilePath());
  const std::string has = ByteCount(length);
  const std::string most = ByteCount(kMaxFileLength);
  if (role == Role::Source)
    return Refused(Refusal::TooLarge,
                   // TRANSLATORS: %1$s is the file, %2$s and %3$s lengths ("5000000000 bytes").
                   TrFill("source file %1$s has %2$s, more than the %3$s (4 GiB - 1) that 32-bit "
                          "addresses reach",
                          {name, has, most}));
  return Refused(Refusal::TooLarge,
                 // TRANSLATORS: %1$s is the file (a block or an image compared), %2$s and %3$s
                 // lengths ("5000000000 bytes").
                 TrFill("file %1$s has %2$s, more than the %3$s (4 GiB - 1) that 32-bit "
                        "addresses reach",
                        {name, has, most}));
}

Checked<RunFiles::BlockLengths> RunFiles::OpenBlock(const CFile& source, CFile& transcript,
                                                    const std::string& transcriptPath,
                                                    std::uint64_t start) {
  if (RunStatus opened = Open(transcript, transcriptPath, Role::Transcript); !opened.ok())
    return opened;
  const auto sourceLength = Length(source, Role::Source);
  if (!sourceLength)
    return sourceLength.Status();
  const auto transcriptLength = Length(transcript, Role::Transcript);
  if (!transcriptLength)
    return transcriptLength.Status();
  if (RunStatus fits = FitsInSource(Span::Transcript, start, *transcriptLength, *sourceLength,
                                    source.GetFilePath());
      !fits.ok())
    return fits;
  return BlockLengths{*sourceLength, *transcriptLength};
}

const CFile* RunFiles::CloneWhereBlocksAreShared(std::initializer_list<Piece> pieces, CFile& to) {
  // Worth it, and right, only where the new content is the first piece's file with some of
  // it overwritten in place: its every piece where it was, the whole as long as the file.
  CFile& from = pieces.begin()->from;
  std::uint64_t at = 0;
  for (const Piece& piece : pieces) {
    if (&piece.from == &from && (piece.offset != at || piece.summing != Summing::None))
      return nullptr;
    at += piece.count;
  }
  if (at != from.GetLength() || !CloneInSystem(from, to))
    return nullptr;
  // A file that another program changed in the instant since it was measured is not taken.
  if (to.GetLength() != at)
    throw CFileException(FileAction::Read, from.GetFilePath(), "it changed during the run");
  return &from;
}

RunStatus RunFiles::Check(const SaveFile& destination, Role role) {
  if (const FileStatus checked = destination.Check(); !checked)
    return Refused(Refusal::CannotWrite, CannotPrepare(destination, role, destination.GivenPath(),
                                                       checked.Why().Words()));
  return RunStatus::Done();
}

Checked<RunFiles::Written> RunFiles::Write(SaveFile& destination, Role role,
                                           std::initializer_list<Piece> pieces) {
  if (const FileStatus begun = destination.Begin(); !begun)
    return Refused(Refusal::CannotWrite,
                   CannotPrepare(destination, role, destination.GivenPath(), begun.Why().Words()));
  Written written;
  const CFile* cloned = CloneWhereBlocksAreShared(pieces, destination.File());
  std::uint64_t at = 0;
  for (const Piece& piece : pieces) {
    // A piece of the cloned file that stays where it was is in the new file already.
    if (&piece.from == cloned && piece.offset == at && piece.summing == Summing::None) {
      at += piece.count;
      continue;
    }
    const std::uint64_t got = CopyBytes(piece.from, piece.offset, destination.File(), at,
                                        piece.count, piece.summing, written.crc);
    if (got < piece.count)
      return Refused(Refusal::ShortRead, ShortReadReason(piece.from, piece.role, got, piece.count));
    at += got;
  }
  if (const auto unconfirmed = destination.Commit())
    written.warning = unconfirmed->Words();
  return written;
}

RunStatus RunFiles::Finish(SaveFile& destination, Role role, std::initializer_list<Piece> pieces,
                           WriteResult& result) {
  if (destination.IsDryRun())
    return Check(destination, role);
  const auto written = Write(destination, role, pieces);
  if (!written)
    return written.Status();
  result.crc = written->crc;
  result.warning = written->warning;
  return RunStatus::Done();
}

}  // namespace zarneth

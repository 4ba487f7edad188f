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

// A file by its role, in the order of Role.
constexpr const char* kRoleFiles[] = {TrMark("source file"), TrMark("transcript file"),
                                      TrMark("destination file"), TrMark("compared file"),
                                      TrMark("replaced block file")};

std::string RoleFile(Role role) {
  return Tr(kRoleFiles[static_cast<int>(role)]);
}

// The file of `role` at `path`: "source file 'image.bin'".
std::string RoleFile(Role role, const std::string& path) {
  // TRANSLATORS: %1$s is a file's role ("source file"), %2$s its name.
  return TrFill("%s %s", {RoleFile(role), QuotedName(path)});
}

std::string CannotPrepare(const SaveFile& file, Role role, const std::string& path) {
  if (file.IsInPlace())
    return TrFill("cannot patch %s in place", {RoleFile(role, path)});
  return TrFill("cannot create %s", {RoleFile(role, path)});
}

// The parsed address, or the refusal of a text that is not an address.
Checked<std::uint32_t> Address(const char* which, const std::string& text) {
  if (const auto value = ParseHexAddress(text))
    return *value;
  // An empty field says so; the advice is the same.
  const bool empty = text.find_first_not_of(" \t") == std::string::npos;
  const bool start = std::string_view(which) == "start";
  std::string why;
  if (empty)
    why = start ? Tr("the start address is empty") : Tr("the end address is empty");
  else
    why = start ? TrFill("the start address '%s' is not an address", {text})
                : TrFill("the end address '%s' is not an address", {text});
  return Refused(Refusal::BadAddress, TrFill("%s: %s", {why, AddressAdvice()}));
}

// Whether `length` bytes at `start` (the transcript's place, the range cut or shown) lie
// inside the source; otherwise the refusal, naming `what`.
RunStatus FitsInSource(const char* what, std::uint64_t start, std::uint64_t length,
                       std::uint32_t sourceLength, const std::string& sourcePath) {
  if (start + length <= sourceLength)
    return RunStatus::Done();
  const std::string bytes = ByteCount(length);
  const std::string source = RoleFile(Role::Source, sourcePath);
  const std::string sourceBytes = ByteCount(sourceLength);
  if (std::string_view(what) == "range")
    return Refused(Refusal::OutsideImage,
                   TrFill("the range of %s at %s runs past the end of %s (%s)",
                          {bytes, HexText(start), source, sourceBytes}));
  return Refused(Refusal::OutsideImage,
                 TrFill("the transcript of %s at %s runs past the end of %s (%s)",
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
      return Refused(Refusal::MissingPath, TrFill("no %s given", {RoleFile(needed.role)}));
  }
  return startText ? Address("start", *startText) : Checked<std::uint32_t>(0u);
}

Checked<std::uint64_t> RangeLength(std::uint32_t start, const std::string& endText) {
  const auto end = Address("end", endText);
  if (!end)
    return end.Refusal();
  // Inclusive: end one below start is an empty range; further below is no range at all.
  if (std::uint64_t{*end} + 1 < start)
    return Refused(Refusal::BadAddress,
                   TrFill("the end address %s lies more than one below the start address %s",
                          {HexText(*end), HexText(start)}));
  return std::uint64_t{*end} + 1 - start;
}

SaveFile::Use NewFileUse(bool noClobber) {
  return noClobber ? SaveFile::Use::NewNameOnly : SaveFile::Use::NewFile;
}

std::string ShortReadReason(const CFile& file, Role role, std::uint64_t got, std::uint64_t wanted) {
  return TrFill("%s came up short: read %s of %s (did it change?)",
                {RoleFile(role, file.GetFilePath()), std::to_string(got), ByteCount(wanted)});
}

RunStatus RunFiles::NotHeldElsewhere(std::optional<FileIdentity> identity, const std::string& path,
                                     Role role) const {
  for (const auto& [heldRole, held] : m_held) {
    if (identity && held->GetIdentity() == *identity)
      return Refused(Refusal::SameFile,
                     TrFill("the %s and the %s are the same file",
                            {RoleFile(heldRole, held->GetFilePath()), RoleFile(role, path)}));
  }
  return RunStatus::Done();
}

RunStatus RunFiles::RefusedOpen(Refusal kind, const std::string& cannot, const std::string& path,
                                Role role, const std::string& why) const {
  // A file refused for being in use may be one this run already holds in another role.
  RunStatus sameFile = NotHeldElsewhere(IdentityOfPath(path), path, role);
  return sameFile.ok() ? Refused(kind, TrFill("%s: %s", {cannot, why})) : sameFile;
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
                       TrFill("cannot open for reading %s", {RoleFile(role, path)}), path, role,
                       opened.Refusal().Words());
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
    return length.Refusal();
  // Read to the end of what it gives: a file whose size says nothing (/proc) has bytes too.
  BlockBytes block(file);
  if (block.Length() == 0)
    return Refused(Refusal::EmptyBlock,
                   TrFill("%s is empty: it has no byte to find", {RoleFile(role, path)}));
  if (block.Length() > kMaxFileLength)
    return TooLarge(file, role, block.Length());
  return block;
}

RunStatus RunFiles::Prepare(SaveFile& destination, const std::string& path, SaveFile::Use use,
                            Role role) {
  if (const FileStatus prepared = destination.Prepare(path, use); !prepared)
    return RefusedOpen(Refusal::CannotWrite, CannotPrepare(destination, role, path), path, role,
                       prepared.Refusal().Words());
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
    return sourceLength.Refusal();
  if (RunStatus fits = FitsInSource("range", start, *length, *sourceLength, path); !fits.ok())
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
  return Refused(
      Refusal::TooLarge,
      TrFill("%s has %s, more than the %s (4 GiB - 1) that 32-bit addresses reach",
             {RoleFile(role, file.GetFilePath()), ByteCount(length), ByteCount(kMaxFileLength)}));
}

Checked<RunFiles::BlockLengths> RunFiles::OpenBlock(const CFile& source, CFile& transcript,
                                                    const std::string& transcriptPath,
                                                    std::uint64_t start) {
  if (RunStatus opened = Open(transcript, transcriptPath, Role::Transcript); !opened.ok())
    return opened;
  const auto sourceLength = Length(source, Role::Source);
  if (!sourceLength)
    return sourceLength.Refusal();
  const auto transcriptLength = Length(transcript, Role::Transcript);
  if (!transcriptLength)
    return transcriptLength.Refusal();
  if (RunStatus fits =
          FitsInSource("transcript", start, *transcriptLength, *sourceLength, source.GetFilePath());
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
    throw CFileException(TrMark("read"), from.GetFilePath(), "it changed during the run");
  return &from;
}

RunStatus RunFiles::Check(const SaveFile& destination, Role role) {
  if (const FileStatus checked = destination.Check(); !checked)
    return Refused(Refusal::CannotWrite, CannotPrepare(destination, role, destination.GivenPath()) +
                                             ": " + checked.Refusal().Words());
  return RunStatus::Done();
}

Checked<RunFiles::Written> RunFiles::Write(SaveFile& destination, Role role,
                                           std::initializer_list<Piece> pieces) {
  if (const FileStatus begun = destination.Begin(); !begun)
    return Refused(Refusal::CannotWrite, CannotPrepare(destination, role, destination.GivenPath()) +
                                             ": " + begun.Refusal().Words());
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
    return written.Refusal();
  result.crc = written->crc;
  result.warning = written->warning;
  return RunStatus::Done();
}

}  // namespace zarneth

#include "run_files.h"

#include "file_system.h"
#include "hex_address.h"
#include "quoted_name.h"
#include "stop_request.h"
#include "stream_copy.h"
#include "system_copy.h"

namespace zarneth {
namespace {

// What a refusal says the run could not do: "cannot create destination file 'out.bin'",
// "cannot patch source file 'image.bin' in place".
std::string CannotDo(const char* doing, const char* role, const std::string& path) {
  return std::string("cannot ") + doing + " " + role + " file " + QuotedName(path);
}

std::string CannotPrepare(const SaveFile& file, const char* role, const std::string& path) {
  return file.IsInPlace() ? CannotDo("patch", role, path) + " in place"
                          : CannotDo("create", role, path);
}

// The parsed address, or none with the run failed for a text that is not an address.
std::optional<std::uint32_t> Address(const char* which, const std::string& text,
                                     RunResult& result) {
  const auto value = ParseHexAddress(text);
  if (value)
    return value;
  // An empty field says so; the advice is the same.
  const std::string what = text.find_first_not_of(" \t") == std::string::npos
                               ? "is empty"
                               : "'" + text + "' " + std::string(kNotAnAddress);
  FailRun(result, Refusal::BadAddress,
          std::string("the ") + which + " address " + what + ": " + AddressAdvice());
  return value;
}

}  // namespace

bool StartRun(RunResult& result, std::initializer_list<NeededPath> paths,
              const std::string& startText) {
  StopIfRequested();
  for (const NeededPath& needed : paths) {
    if (needed.path.empty()) {
      FailRun(result, Refusal::MissingPath, std::string("no ") + needed.role + " file given");
      return false;
    }
  }
  const auto start = Address("start", startText, result);
  if (start)
    result.start = *start;
  return start.has_value();
}

std::optional<std::uint64_t> RangeLength(RunResult& result, const std::string& endText) {
  const auto end = Address("end", endText, result);
  if (!end)
    return std::nullopt;
  // Inclusive: end one below start is an empty range; further below is no range at all.
  if (std::uint64_t{*end} + 1 < result.start) {
    FailRun(result, Refusal::BadAddress,
            "the end address " + HexText(*end) + " lies more than one below the start address " +
                HexText(result.start));
    return std::nullopt;
  }
  return std::uint64_t{*end} + 1 - result.start;
}

SaveFile::Use NewFileUse(bool noClobber) {
  return noClobber ? SaveFile::Use::NewNameOnly : SaveFile::Use::NewFile;
}

void FailRun(RunResult& result, Refusal kind, std::string reason) {
  result.outcome = PatchOutcome::Failed;
  result.refusal = kind;
  result.failureReason = std::move(reason);
}

std::string ShortReadReason(const CFile& file, const char* role, std::uint64_t got,
                            std::uint64_t wanted) {
  return std::string(role) + " file " + QuotedName(file.GetFilePath()) + " came up short: read " +
         std::to_string(got) + " of " + std::to_string(wanted) + " bytes (did it change?)";
}

bool RunFiles::Fail(Refusal kind, const std::string& cannot, const std::string& why) {
  FailRun(m_result, kind, cannot + ": " + why);
  return false;
}

bool RunFiles::NotHeldElsewhere(std::optional<FileIdentity> identity, const std::string& path,
                                const char* role) {
  for (const auto& [heldRole, held] : m_held) {
    if (!identity || held->GetIdentity() != *identity)
      continue;
    FailRun(m_result, Refusal::SameFile,
            std::string("the ") + heldRole + " file " + QuotedName(held->GetFilePath()) +
                " and the " + role + " file " + QuotedName(path) + " are the same file");
    return false;
  }
  return true;
}

bool RunFiles::RefuseRefused(Refusal kind, const std::string& cannot, const std::string& path,
                             const char* role, const std::string& why) {
  // A file refused for being in use may be one this run already holds in another role.
  if (NotHeldElsewhere(IdentityOfPath(path), path, role))
    Fail(kind, cannot, why);
  return false;
}

bool RunFiles::Hold(const CFile& file, const char* role) {
  if (!NotHeldElsewhere(file.GetIdentity(), file.GetFilePath(), role))
    return false;
  m_held.emplace_back(role, &file);
  return true;
}

bool RunFiles::Open(CFile& file, const std::string& path, const char* role) {
  std::string whyNot;
  if (!file.Open(path, CFile::modeRead, &whyNot))
    return RefuseRefused(Refusal::CannotRead, CannotDo("open for reading", role, path), path, role,
                         whyNot);
  return Hold(file, role);
}

bool RunFiles::Prepare(SaveFile& destination, const std::string& path, SaveFile::Use use,
                       const char* role) {
  std::string whyNot;
  if (!destination.Prepare(path, use, &whyNot))
    return RefuseRefused(Refusal::CannotWrite, CannotPrepare(destination, role, path), path, role,
                         whyNot);
  const CFile* existing = destination.Existing();
  return !existing || Hold(*existing, role);
}

bool RunFiles::FitsInSource(const char* what, std::uint64_t start, std::uint64_t length,
                            std::uint32_t sourceLength, const std::string& sourcePath) {
  if (start + length <= sourceLength)
    return true;
  FailRun(m_result, Refusal::OutsideImage,
          std::string("the ") + what + " of " + std::to_string(length) + " bytes at " +
              HexText(start) + " runs past the end of source file " + QuotedName(sourcePath) +
              " (" + std::to_string(sourceLength) + " bytes)");
  return false;
}

bool RunFiles::OpenRange(CFile& source, const std::string& path, std::uint64_t start,
                         std::uint64_t length) {
  if (!Open(source, path, "source"))
    return false;
  const auto sourceLength = Length(source, "source");
  return sourceLength && FitsInSource("range", start, length, *sourceLength, path);
}

std::optional<std::uint32_t> RunFiles::Length(const CFile& file, const char* role) {
  const std::uint64_t length = file.GetLength();
  if (length <= kMaxFileLength)
    return static_cast<std::uint32_t>(length);
  FailRun(m_result, Refusal::TooLarge,
          std::string(role) + " file " + QuotedName(file.GetFilePath()) + " has " +
              std::to_string(length) + " bytes, more than the " + std::to_string(kMaxFileLength) +
              " bytes (4 GiB - 1) that 32-bit addresses reach");
  return std::nullopt;
}

std::optional<RunFiles::BlockLengths> RunFiles::OpenBlock(const CFile& source,
                                                          const std::string& sourcePath,
                                                          CFile& transcript,
                                                          const std::string& transcriptPath,
                                                          std::uint64_t start) {
  if (!Open(transcript, transcriptPath, "transcript"))
    return std::nullopt;
  const auto sourceLength = Length(source, "source");
  const auto transcriptLength = sourceLength ? Length(transcript, "transcript") : std::nullopt;
  if (!transcriptLength ||
      !FitsInSource("transcript", start, *transcriptLength, *sourceLength, sourcePath))
    return std::nullopt;
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
    throw CFileException("read", from.GetFilePath(), "it changed during the run");
  return &from;
}

void RunFiles::Save(SaveFile& destination, const std::string& path, const char* role, bool dryRun,
                    std::initializer_list<Piece> pieces, std::string& warning) {
  std::string whyNot;
  if (dryRun ? !destination.Check(&whyNot) : !destination.Begin(&whyNot)) {
    Fail(Refusal::CannotWrite, CannotPrepare(destination, role, path), whyNot);
    return;
  }
  if (!dryRun) {
    const CFile* cloned = CloneWhereBlocksAreShared(pieces, destination.File());
    std::uint64_t at = 0;
    for (const Piece& piece : pieces) {
      // A piece of the cloned file that stays where it was is in the new file already.
      if (&piece.from == cloned && piece.offset == at && piece.summing == Summing::None) {
        at += piece.count;
        continue;
      }
      const std::uint64_t got = CopyBytes(piece.from, piece.offset, destination.File(), at,
                                          piece.count, piece.summing, m_result.crc);
      if (got < piece.count) {
        FailRun(m_result, Refusal::ShortRead,
                ShortReadReason(piece.from, piece.role, got, piece.count));
        return;
      }
      at += got;
    }
    warning = destination.Commit();
  }
  m_result.outcome = PatchOutcome::Done;
}

}  // namespace zarneth

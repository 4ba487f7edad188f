#include "run_files.h"

#include "file_system.h"
#include "hex_address.h"
#include "quoted_name.h"
#include "stream_copy.h"

namespace zarneth {
namespace {

// What a refusal says the run could not do: "cannot create destination file 'out.bin'",
// "cannot patch source file 'image.bin' in place".
std::string CannotDo(const char* purpose, const char* role, const std::string& path,
                     bool inPlace = false) {
  return std::string("cannot ") + purpose + " " + role + " file " + QuotedName(path) +
         (inPlace ? " in place" : "");
}

std::string CannotPrepare(const SaveFile& file, const char* role, const std::string& path) {
  return file.IsInPlace() ? CannotDo("patch", role, path, true) : CannotDo("create", role, path);
}

}  // namespace

SaveFile::Use NewFileUse(const PatchJob& job) {
  return job.noClobber ? SaveFile::Use::NewNameOnly : SaveFile::Use::NewFile;
}

RunResult& DryRunDone(RunResult& result) {
  result.outcome = PatchOutcome::Done;
  return result;
}

RunResult& FailRun(RunResult& result, std::string reason) {
  result.outcome = PatchOutcome::Failed;
  result.failureReason = std::move(reason);
  return result;
}

std::string ShortReadReason(const CFile& file, const char* role, std::uint64_t got,
                            std::uint64_t wanted) {
  return std::string(role) + " file " + QuotedName(file.GetFilePath()) + " came up short: read " +
         std::to_string(got) + " of " + std::to_string(wanted) + " bytes (did it change?)";
}

bool RunFiles::Fail(const std::string& cannot, const std::string& why) {
  FailRun(m_result, cannot + ": " + why);
  return false;
}

bool RunFiles::RefuseSameFile(std::optional<FileIdentity> identity, const std::string& path,
                              const char* role) {
  for (const auto& [heldRole, held] : m_held) {
    if (!identity || held->GetIdentity() != *identity)
      continue;
    FailRun(m_result, std::string("the ") + heldRole + " file " + QuotedName(held->GetFilePath()) +
                          " and the " + role + " file " + QuotedName(path) + " are the same file");
    return true;
  }
  return false;
}

bool RunFiles::RefuseRefused(const std::string& cannot, const std::string& path, const char* role,
                             const std::string& why) {
  // A file refused for being in use may be one this run already holds in another role.
  if (!RefuseSameFile(IdentityOf(FinalPath(path, nullptr).value_or(path)), path, role))
    Fail(cannot, why);
  return false;
}

bool RunFiles::Hold(const CFile& file, const char* role) {
  if (RefuseSameFile(file.GetIdentity(), file.GetFilePath(), role))
    return false;
  m_held.emplace_back(role, &file);
  return true;
}

bool RunFiles::Open(CFile& file, const std::string& path, const char* role) {
  std::string whyNot;
  if (!file.Open(path, CFile::modeRead, &whyNot))
    return RefuseRefused(CannotDo("open for reading", role, path), path, role, whyNot);
  return Hold(file, role);
}

bool RunFiles::Prepare(SaveFile& destination, const std::string& path, SaveFile::Use use,
                       const char* role) {
  std::string whyNot;
  if (!destination.Prepare(path, use, &whyNot))
    return RefuseRefused(CannotPrepare(destination, role, path), path, role, whyNot);
  const CFile* existing = destination.Existing();
  return !existing || Hold(*existing, role);
}

bool RunFiles::Begin(SaveFile& destination, const std::string& path, const char* role) {
  std::string whyNot;
  if (destination.Begin(&whyNot))
    return true;
  return Fail(CannotPrepare(destination, role, path), whyNot);
}

bool RunFiles::Check(const SaveFile& destination, const std::string& path, const char* role) {
  std::string whyNot;
  if (destination.Check(&whyNot))
    return true;
  return Fail(CannotPrepare(destination, role, path), whyNot);
}

bool RunFiles::FitsInSource(const char* what, std::uint64_t start, std::uint64_t length,
                            std::uint32_t sourceLength, const std::string& sourcePath) {
  if (start + length <= sourceLength)
    return true;
  FailRun(m_result, std::string("the ") + what + " of " + std::to_string(length) + " bytes at " +
                        HexText(start) + " runs past the end of source file " +
                        QuotedName(sourcePath) + " (" + std::to_string(sourceLength) + " bytes)");
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
  FailRun(m_result, std::string(role) + " file " + QuotedName(file.GetFilePath()) + " has " +
                        std::to_string(length) + " bytes, more than the " +
                        std::to_string(kMaxFileLength) +
                        " bytes (4 GiB - 1) that 32-bit addresses reach");
  return std::nullopt;
}

bool RunFiles::WriteAndCommit(SaveFile& destination, std::initializer_list<Piece> pieces) {
  std::uint64_t at = 0;
  for (const Piece& piece : pieces) {
    const std::uint64_t got = CopyBytes(piece.from, piece.offset, destination.File(), at,
                                        piece.count, piece.summing, m_result.crc);
    if (got < piece.count) {
      FailRun(m_result, ShortReadReason(piece.from, piece.role, got, piece.count));
      return false;
    }
    at += got;
  }
  m_result.warning = destination.Commit();
  m_result.outcome = PatchOutcome::Done;
  return true;
}

}  // namespace zarneth

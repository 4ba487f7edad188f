#pragma once

// The operations a run can be, one type each holding the inputs that operation reads and
// no other, and what each reports. The form's PatchJob becomes one of the three that write;
// zarneth-cli builds them directly. Paths are used exactly as given; the addresses stay
// text until the run parses them. Writing a transcript into an image is the patch: the
// form's Zarneth mode, zarneth-cli's patch command, PatchInPlace or PatchCopy here.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace zarneth {

// The form's word for how a run ended (RunJob's result): done, or failed with nothing changed.
enum class PatchOutcome { Done, Failed };

// How a run was refused, for a caller that acts on the kind (the dialog asks before an
// overrun); the status's sentence says which file or check, and why.
enum class Refusal {
  None,          // not refused: the run is done
  NotRun,        // no run took place (a result nobody filled in)
  MissingPath,   // a file the operation needs was not given
  BadAddress,    // an address text that is no address, or an end far below the start
  OutsideImage,  // the block or the range runs past the image's end
  Overrun,       // a transcript longer than the model's language block, at its start
  TooLarge,      // a file beyond what 32-bit addresses reach
  SameFile,      // one file in two roles
  CannotRead,    // a file cannot be opened for reading
  CannotWrite,   // the destination cannot be created, or the image patched in place
  ShortRead,     // a file came up short while read: it changed under the run
  EmptyBlock,    // a block to look for or to replace that holds no byte
  NotFound,      // the block to replace does not stand in the image
  NotUnique,     // the block to replace stands in the image at several places
  OtherVersion,  // the image is not of the model named, by that model's fingerprint
};

// How a run ended, said once: done (ok), or refused with its kind and a short sentence
// saying which check or which file refused and why.
struct [[nodiscard]] RunStatus {
  Refusal refusal = Refusal::NotRun;
  std::string reason;
  std::uint64_t overrunBytes = 0;  // an Overrun: the bytes past the block
  bool ok() const { return refusal == Refusal::None; }
  static RunStatus Done() { return {Refusal::None, {}, 0}; }
};

// Where a transcript goes: the start address as typed, and the model picked ("V135"; empty
// for none). At the model's own start a transcript longer than its language block is refused
// unless allowOverrun: it would overwrite the firmware after the block. (The explicit {}
// lets a designated initializer leave a text out without GCC's missing-initializer warning.)
// With `replacing`, the path of a block, the transcript goes where that block's bytes stand
// in the image instead, found when the run opens the image: they must stand there exactly
// and once (startText and model are not read); with minAgree (a percentage above 0), at the
// one place where at least that share of the block agrees, clearly beyond chance, where it
// stands nowhere exactly. A transcript longer than that block is an overrun too.
struct BlockPlace {
  std::string startText{};
  std::string model{};
  bool allowOverrun = false;
  std::string replacing{};
  double minAgree = 0;
};

// A dry run makes every check of a real run, holds the files as a real run holds them, and
// opens nothing for writing: the result says what the run would write.

// Writes the transcript into the image itself, the image replaced in one step.
struct PatchInPlace {
  std::string sourcePath;
  std::string transcriptPath;
  BlockPlace at;
  // Keep the image as it was under "<image>.bak" (or .bak.1, ...), made in the same commit.
  bool backup = false;
  bool dryRun = false;
};

// Writes a patched copy of the image to the destination; the image is only read.
struct PatchCopy {
  std::string sourcePath;
  std::string transcriptPath;
  std::string destinationPath;
  BlockPlace at;
  bool noClobber = false;  // an existing destination is refused
  bool dryRun = false;
};

// Copies the range start..end (inclusive) of the image into the destination.
struct CutRange {
  std::string sourcePath;
  std::string destinationPath;
  std::string startText;
  std::string endText;
  bool noClobber = false;  // an existing destination is refused
  bool dryRun = false;
};

// Compares the image at the start address with the whole transcript; reads only.
struct VerifyBlock {
  std::string sourcePath;
  std::string transcriptPath;
  std::string startText;
};

// Where a range goes, piece by piece, with each piece's address.
using RangeSink = std::function<void(std::uint64_t address, std::span<const unsigned char>)>;

// Hands the range start..end (inclusive) of the image to the sink; reads only.
struct ShowRange {
  std::string sourcePath;
  std::string startText;
  std::string endText;
  RangeSink sink;
};

// A stretch of a block that differs from the image at a place, by its offsets in the block.
struct DifferingPart {
  std::uint64_t from = 0;
  std::uint64_t bytes = 0;
};

// The differing parts listed under a place at the most; the rest are counted.
inline constexpr std::size_t kDifferingPartsShown = 20;

// A place where a block's bytes stand in an image: the part of the block it holds (the
// whole block, or the stretch of it that agrees where the block was split or partly
// rewritten), where that part starts in the image, its bytes inside the image (fewer than
// the part's where it runs past the image's end), and how many of them equal the image's
// byte at their place (all, where the block stands exactly).
struct BlockFound {
  std::uint32_t start = 0;  // the image address of the part's first byte
  std::uint64_t bytes = 0;
  std::uint64_t agreeing = 0;
  std::uint64_t imageBytes = 0;  // the image's length, for a caller that lines up a table
  std::uint64_t blockFrom = 0;   // the part: the block's bytes blockFrom..blockTo - 1
  std::uint64_t blockTo = 0;
  bool exact = false;
  // Asked for in detail: the parts of the block that differ here (at most
  // kDifferingPartsShown), and how many there are in all.
  std::vector<DifferingPart> differing;
  std::uint64_t differingParts = 0;
  // The part's length, of which `agreeing` is the share a caller shows; a block running past
  // the image's end never agrees whole.
  std::uint64_t PartLength() const { return blockTo - blockFrom; }
};
using FoundSink = std::function<void(const BlockFound&)>;

// Where in the image the block's bytes stand; reads only, to the end of what each file gives
// whatever its size says. Every exact occurrence goes to the sink in address order as the
// image is read (one that overlaps the last shown only with nearLimit 0, else counted); only
// where there is none, the places where the block agrees clearly beyond what chance gives in
// this image (a changed block, or the parts of a split one), best first: at most nearLimit
// (0: all of them).
struct LocateBlock {
  std::string sourcePath;
  std::string blockPath;
  std::size_t nearLimit = 3;
  FoundSink sink;
  bool detail = false;  // each place's differing parts
};

// A range where two images differ. Where one image is longer, the rest is a range that only
// it has (the source, or the other image).
struct DifferingRange {
  enum class Side { Both, OnlySource, OnlyOther };
  std::uint64_t start = 0;
  std::uint64_t bytes = 0;
  Side side = Side::Both;
  std::uint64_t imageBytes = 0;  // the longer image's length, for a caller that lines up a table
};
using DifferenceSink = std::function<void(const DifferingRange&)>;

// Two ranges closer than this many equal bytes are told as one.
inline constexpr std::uint64_t kDifferenceGap = 16;

// The ranges where two images differ, in address order, to the sink as they are found; reads
// only. Within start..end (inclusive) only: endText empty for the longer image's end; the
// range must lie inside the longer image.
struct CompareImages {
  std::string sourcePath;
  std::string otherPath;
  std::string startText = "0";
  std::string endText{};
  DifferenceSink sink;
};

// Which versions of the tables in force (KnownModels) an image is: those whose fingerprint it
// matches, by its length and the bytes outside their block; reads only, once.
struct IdentifyImage {
  std::string sourcePath;
};

using WriteOperation = std::variant<PatchInPlace, PatchCopy, CutRange>;

// What every run reports: its status, the start address as parsed, and the CRC-32 of the
// bytes the run put in place, compared or showed.
struct RunResult {
  RunStatus status;
  std::uint32_t start = 0;
  std::uint32_t crc = 0;
};

// A run that writes. A Done run with a warning put every byte in place, but the system did
// not confirm that the last step (the folder's new entry) is on the disk.
struct WriteResult : RunResult {
  std::uint64_t placedBytes = 0;  // the bytes put in place: the transcript, or the range cut
  std::uint64_t fileBytes = 0;    // a patch: the length of the image written
  std::string backupPath;         // in place with a backup: where the old image is kept
  std::string warning;
  // A patch over a block (a model's or a replaced one) longer than the transcript: the
  // block's last bytes, which stay as they were.
  std::uint64_t oldBlockStays = 0;
  // A patch over a replaced block found where it stands changed: its length, and how many
  // of its bytes agreed there.
  std::uint64_t replacedBytes = 0;
  std::uint64_t replacedAgreeing = 0;
  // The form's outcome, from the status.
  PatchOutcome outcome() const { return status.ok() ? PatchOutcome::Done : PatchOutcome::Failed; }
};

// A comparison: the transcript's length, how many bytes of the image differ from it, the
// first one's address, and the CRC-32 of the image's bytes there (`crc` is the transcript's).
struct VerifyResult : RunResult {
  std::uint64_t comparedBytes = 0;
  std::uint64_t differingBytes = 0;
  std::uint64_t firstDifference = 0;
  std::uint32_t imageCrc = 0;
};

struct ShowResult : RunResult {
  std::uint64_t shownBytes = 0;  // end - start + 1
};

struct LocateResult : RunResult {
  std::uint64_t blockBytes = 0;
  std::uint64_t imageBytes = 0;
  std::uint64_t places = 0;       // the places handed to the sink
  std::uint64_t overlapping = 0;  // exact occurrences overlapping one shown, not shown
  std::uint64_t tied = 0;         // places not shown at the share of the last one shown
  // Where no place counts: the best place measured, if any, and the share chance reaches there.
  std::optional<BlockFound> best;
  double chance = 0;
};

// A version an image is, and whether its block still holds the bytes it held when the
// version was added (stock) or others (changed: patched).
struct VersionFound {
  std::string name;
  std::uint32_t start = 0;
  std::uint32_t end = 0;
  bool stock = false;
  std::string from;
};

struct IdentifyResult : RunResult {
  std::uint64_t imageBytes = 0;
  std::vector<VersionFound> versions;
};

// `start` is where the comparison began.
struct CompareResult : RunResult {
  std::uint64_t comparedBytes = 0;  // the range's bytes in the longer image
  std::uint64_t ranges = 0;
  std::uint64_t rangeBytes = 0;      // the ranges' lengths, summed
  std::uint64_t differingBytes = 0;  // bytes unequal, or in one image only
};

// Each checks its operation and runs it. Every check (paths, addresses, files, ranges, one
// file in two roles, the model's block) comes before anything is written, and a run either
// completes, synced to the disk, or leaves every file as it was. Refusals come back as
// Failed; a failure of a file that is already open escapes as CFileException and a stop
// request as RunStopped, both with every file as it was. Once the destination was renamed
// into place the run is Done, with a warning for anything that failed after.
[[nodiscard]] WriteResult Run(const WriteOperation& operation);
[[nodiscard]] VerifyResult Run(const VerifyBlock& operation);
[[nodiscard]] ShowResult Run(const ShowRange& operation);
[[nodiscard]] LocateResult Run(const LocateBlock& operation);
[[nodiscard]] CompareResult Run(const CompareImages& operation);
[[nodiscard]] IdentifyResult Run(const IdentifyImage& operation);

// Before a run at the addresses of `model`: refused (Refusal::OtherVersion) where the model
// has a fingerprint that the image at `sourcePath` does not match, naming the version the
// image is where one matches; done for a model without one. Reads the image once.
[[nodiscard]] RunStatus CheckImageIsModel(const std::string& sourcePath, const std::string& model);

struct ModelEntry;
// The fingerprint of the image at `sourcePath` for a version whose block is `model`'s start
// through end; reads only, once.
struct FingerprintResult : RunResult {
  std::uint64_t size = 0;
  std::array<unsigned char, 32> outside{};
  std::uint32_t stock = 0;
};
[[nodiscard]] FingerprintResult Fingerprint(const std::string& sourcePath, std::uint32_t start,
                                            std::uint32_t end);
// Adds `entry` to the model table at `path` (made where it does not exist), or takes the
// model `name` out of it; every other line stays as it was. All or nothing, under the save's
// lock: changes made at once wait for each other and all land. Refused: a name the table has
// already (add), a name it does not have (remove, NotFound).
[[nodiscard]] RunStatus AddToModelTable(const std::string& path, const ModelEntry& entry);
[[nodiscard]] RunStatus RemoveFromModelTable(const std::string& path, const std::string& name);

}  // namespace zarneth

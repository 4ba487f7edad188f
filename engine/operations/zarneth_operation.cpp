#include "zarneth_operation.h"

#include <algorithm>

#include "block_search.h"
#include "c_file.h"
#include "hex_address.h"
#include "model_presets.h"
#include "quoted_name.h"
#include "run_files.h"
#include "run_report.h"
#include "save_file.h"
#include "version_check.h"
#include "words.h"

namespace zarneth {
namespace {

// The addresses named in a refusal of a block found at several places; the rest counted.
constexpr std::size_t kPlacesNamed = 5;

// What both patches check and write: the image, the transcript, and where it goes.
struct Patch {
  CFile& source;
  const std::string& sourcePath;
  CFile& transcript;
  const std::string& transcriptPath;
  const BlockPlace& at;
  std::uint32_t replacedLength = 0;  // with a replaced block: its length
};

// "0x1000, 0x2000 and 3 other places": the places found, the first few by address.
std::string PlacesText(const std::vector<std::uint64_t>& named, std::uint64_t count) {
  std::vector<std::string> places;
  for (const std::uint64_t place : named)
    places.push_back(HexText(place));
  if (count == named.size())
    // TRANSLATORS: the last two of a list of addresses ("0x1000 and 0x2000"); the ones
    // before are joined by commas.
    return ListText(places, Tr("%s and %s"));
  const std::uint64_t others = count - named.size();
  // TRANSLATORS: %1$s is a list of addresses ("0x1000, 0x2000"), %2$s a count.
  return Fill(TrPlural("%1$s and %2$s other place", "%1$s and %2$s other places",
                       static_cast<unsigned long>(others)),
              {ListText(places, "%s, %s"), std::to_string(others)});
}

// Where the block that the transcript replaces stands in the image: the start of its one
// exact occurrence, or, with a least share to agree, of the one place where it stands
// changed; its length in `patch`. Refused where it stands nowhere or at several places, so
// that nothing is written at a place the user did not mean.
Checked<std::uint32_t> FindReplaced(RunFiles& files, CFile& replaced, Patch& patch,
                                    WriteResult& result) {
  const auto block = files.ReadBlock(replaced, patch.at.replacing, Role::Replaced);
  if (!block)
    return block.Status();
  const std::uint64_t length = block->Length();
  const bool near = patch.at.minAgree > 0;
  std::vector<std::uint64_t> named;
  std::uint64_t count = 0;
  const auto answer =
      SearchImage(patch.source, *block, Role::Replaced,
                  {.near = near, .nearLimit = 0, .detail = false}, [&](std::uint64_t start) {
                    if (count++ < kPlacesNamed)
                      named.push_back(start);
                  });
  if (!answer)
    return answer.Status();
  const std::string what =
      // TRANSLATORS: %1$s is the block's file, %2$s its length.
      TrFill("the replaced block %s (%s)", {QuotedName(patch.at.replacing), ByteCount(length)});
  const std::string image = QuotedName(patch.sourcePath);
  if (count == 0 && near) {
    // The whole block inside the image, agreeing at least as much as asked.
    for (const MeasuredPlace& place : answer->near) {
      const BlockFound& found = place.found;
      if (found.blockFrom == 0 && found.blockTo == length && found.bytes == length &&
          static_cast<double>(found.agreeing) * 100 >=
              patch.at.minAgree * static_cast<double>(length)) {
        ++count;
        named.push_back(found.start);
        result.replacedAgreeing = found.agreeing;
      }
    }
    // Named by address, as exact occurrences are.
    std::sort(named.begin(), named.end());
    named.resize(std::min(named.size(), kPlacesNamed));
    const std::string least = ShareText(patch.at.minAgree);
    if (count == 0)
      return Refused(Refusal::NotFound,
                     // TRANSLATORS: %1$s is the block, %2$s the image, %3$s a share ("99%").
                     TrFill("%s does not stand in source file %s, not even with %s of its bytes "
                            "agreeing",
                            {what, image, least}));
    if (count > 1)
      return Refused(
          Refusal::NotUnique,
          // TRANSLATORS: %1$s is the block, %2$s the image, %3$s a share, %4$s a count, %5$s the
          // places' addresses.
          Fill(TrPlural("%s stands in source file %s with %s of its bytes agreeing at %s place, "
                        "%s: it must stand at one",
                        // TRANSLATORS: %1$s is the block, %2$s the image, %3$s a share, %4$s a
                        // count, %5$s the places' addresses.
                        "%s stands in source file %s with %s of its bytes agreeing at %s places, "
                        "%s: it must stand at one",
                        static_cast<unsigned long>(count)),
               {what, image, least, std::to_string(count), PlacesText(named, count)}));
    result.replacedBytes = length;
  } else if (count == 0) {
    return Refused(Refusal::NotFound,
                   // TRANSLATORS: %1$s is the block, %2$s the image.
                   TrFill("%s does not stand byte for byte in source file %s", {what, image}));
  } else if (count > 1) {
    return Refused(
        Refusal::NotUnique,
        // TRANSLATORS: %1$s is the block, %2$s the image, %3$s a count, %4$s the places' addresses.
        Fill(TrPlural("%s stands in source file %s at %s place, %s: it must stand at one",
                      // TRANSLATORS: %1$s is the block, %2$s the image, %3$s a count, %4$s the
                      // places' addresses.
                      "%s stands in source file %s at %s places, %s: it must stand at one",
                      static_cast<unsigned long>(count)),
             {what, image, std::to_string(count), PlacesText(named, count)}));
  }
  patch.replacedLength = static_cast<std::uint32_t>(length);
  return static_cast<std::uint32_t>(named.front());
}

// The start the transcript goes to: the address given, or where the replaced block stands.
Checked<std::uint32_t> StartOf(RunFiles& files, CFile& replaced, Patch& patch, std::uint32_t given,
                               WriteResult& result) {
  if (patch.at.replacing.empty())
    return given;
  const auto found = FindReplaced(files, replaced, patch, result);
  if (found)
    result.start = *found;
  return found;
}

// The length of the block the transcript goes over: the one replaced, or at the model's own
// start the model's language block; 0 where it goes over none.
std::uint64_t BlockGoneOver(const Patch& patch, std::uint32_t start) {
  if (!patch.at.replacing.empty())
    return patch.replacedLength;
  if (const auto preset = FindModel(patch.at.model); preset && start == preset->start)
    return preset->Length();
  return 0;
}

// A transcript longer than the block it goes over would overwrite the firmware after the
// block: refused unless the user allowed it. The block is the one replaced, or at the
// model's own start the model's language block.
RunStatus RefuseOverrun(const Patch& patch, std::uint32_t start, std::uint32_t transcriptLength) {
  if (patch.at.allowOverrun)
    return RunStatus::Done();
  const std::string transcript = TrFill("the transcript %s", {QuotedName(patch.transcriptPath)});
  std::string overrun;
  std::uint32_t blockLength = 0;
  if (!patch.at.replacing.empty()) {
    blockLength = patch.replacedLength;
    overrun = DescribeOverrun(transcript,
                              TrFill("the block %s it replaces", {QuotedName(patch.at.replacing)}),
                              start, blockLength, transcriptLength);
  } else if (const auto preset = FindModel(patch.at.model); preset && start == preset->start) {
    blockLength = preset->Length();
    overrun = DescribeOverrun(transcript, *preset, transcriptLength);
  }
  if (overrun.empty() || transcriptLength <= blockLength)
    return RunStatus::Done();
  RunStatus refused = Refused(Refusal::Overrun, overrun);
  refused.overrunBytes = transcriptLength - blockLength;
  return refused;
}

// Opens the transcript, with the image already held, and checks that the block lies inside
// the image and within the block it goes over: both lengths, also in `result`.
Checked<RunFiles::BlockLengths> CheckBlock(RunFiles& files, const Patch& patch, std::uint32_t start,
                                           WriteResult& result) {
  const auto lengths = files.OpenBlock(patch.source, patch.transcript, patch.transcriptPath, start);
  if (!lengths)
    return lengths.Status();
  if (RunStatus within = RefuseOverrun(patch, start, lengths->transcript); !within.ok())
    return within;
  // At a model's own start, an image of another version (by the model's fingerprint) is
  // refused while the run holds it: the block would go over that version's firmware.
  if (patch.at.replacing.empty()) {
    if (const auto preset = FindModel(patch.at.model); preset && start == preset->start) {
      if (RunStatus version = RefuseOtherVersion(patch.source, patch.sourcePath, patch.at.model);
          !version.ok())
        return version;
    }
  }
  const std::uint64_t blockLength = BlockGoneOver(patch, start);
  if (lengths->transcript < blockLength)
    result.oldBlockStays = blockLength - lengths->transcript;
  result.fileBytes = lengths->source;
  result.placedBytes = lengths->transcript;
  return *lengths;
}

// Checks (a dry run) or saves the new content, source[0, start) + transcript +
// source[start + transcript length, end), into `destination` (prepared, in `role`).
RunStatus WritePatched(RunFiles& files, const Patch& patch, std::uint32_t start,
                       const RunFiles::BlockLengths& lengths, SaveFile& destination, Role role,
                       WriteResult& result) {
  const std::uint64_t tail = std::uint64_t{start} + lengths.transcript;
  return files.Finish(
      destination, role,
      {{patch.source, Role::Source, 0, start},
       {patch.transcript, Role::Transcript, 0, lengths.transcript, Summing::IntoCrc},
       {patch.source, Role::Source, tail, lengths.source - tail}},
      result);
}

// The start text a patch parses: none where it finds its start by the replaced block.
const std::string* GivenStart(const BlockPlace& at) {
  return at.replacing.empty() ? &at.startText : nullptr;
}

}  // namespace

WriteResult RunPatch(const PatchInPlace& operation) {
  return RunOperation<WriteResult>(
      {{Role::Source, operation.sourcePath}, {Role::Transcript, operation.transcriptPath}},
      GivenStart(operation.at), [&](WriteResult& result, std::uint32_t given) -> RunStatus {
        // The image is the save file's own destination, held from here to the rename.
        RunFiles files;
        SaveFile image;
        if (operation.backup)
          image.KeepBackup();
        if (operation.dryRun)
          image.DryRun();
        if (RunStatus prepared =
                files.Prepare(image, operation.sourcePath, SaveFile::Use::InPlace, Role::Source);
            !prepared.ok())
          return prepared;
        CFile transcript;
        CFile replaced;
        Patch patch{*image.Existing(), operation.sourcePath, transcript, operation.transcriptPath,
                    operation.at};
        const auto start = StartOf(files, replaced, patch, given, result);
        if (!start)
          return start.Status();
        const auto lengths = CheckBlock(files, patch, *start, result);
        if (!lengths)
          return lengths.Status();
        RunStatus status =
            WritePatched(files, patch, *start, *lengths, image, Role::Source, result);
        result.backupPath = image.BackupPath();
        return status;
      });
}

WriteResult RunPatch(const PatchCopy& operation) {
  return RunOperation<WriteResult>(
      {{Role::Source, operation.sourcePath},
       {Role::Transcript, operation.transcriptPath},
       {Role::Destination, operation.destinationPath}},
      GivenStart(operation.at), [&](WriteResult& result, std::uint32_t given) -> RunStatus {
        // A patched copy only reads the image, so it may be read-only.
        RunFiles files;
        CFile source;
        if (RunStatus opened = files.Open(source, operation.sourcePath, Role::Source); !opened.ok())
          return opened;
        CFile transcript;
        CFile replaced;
        Patch patch{source, operation.sourcePath, transcript, operation.transcriptPath,
                    operation.at};
        const auto start = StartOf(files, replaced, patch, given, result);
        if (!start)
          return start.Status();
        // The destination is checked once the block is: a block that does not fit is said first.
        const auto lengths = CheckBlock(files, patch, *start, result);
        if (!lengths)
          return lengths.Status();
        SaveFile copy;
        copy.TakePermissionsOf(source);
        if (operation.dryRun)
          copy.DryRun();
        if (RunStatus prepared = files.Prepare(copy, operation.destinationPath,
                                               NewFileUse(operation.noClobber), Role::Destination);
            !prepared.ok())
          return prepared;
        return WritePatched(files, patch, *start, *lengths, copy, Role::Destination, result);
      });
}

}  // namespace zarneth

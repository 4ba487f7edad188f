#include "commands.h"

#include <filesystem>
#include <new>
#include <optional>
#include <ostream>
#include <system_error>

#include "command_names.h"
#include "console.h"
#include "exit_codes.h"
#include "file_exception.h"
#include "hex_address.h"
#include "hex_dump.h"
#include "model_presets.h"
#include "model_table.h"
#include "operations.h"
#include "output_errors.h"
#include "quoted_name.h"
#include "run_report.h"
#include "stop_request.h"
#include "table_text.h"
#include "words.h"

namespace zarneth::cli {
namespace {

constexpr const char* kProgram = "zarneth-cli";
// From this many differing ranges on, compare points to locate: images of two versions, an
// insertion moving everything after it, differ in hundreds.
constexpr std::uint64_t kRangesOfMovedBytes = 100;

// Runs the operation and turns its result into the one line and the exit code a script
// sees: `report` prints a Done run's line and gives its exit code.
template <typename Operation, typename Report>
int Execute(const Operation& operation, std::ostream& err, const Report& report) {
  try {
    const auto result = Run(operation);
    if (result.status.ok())
      return report(result);
    std::string reason = result.status.reason;
    if (result.status.refusal == Refusal::Overrun)
      reason = TrFill("%s; give --allow-overrun to write past the block anyway", {reason});
    if (result.status.refusal == Refusal::NotFound || result.status.refusal == Refusal::NotUnique)
      // TRANSLATORS: %1$s is a refusal, %2$s a command to run ("zarneth-cli locate ...").
      reason = TrFill("%s; '%s' shows where its bytes stand",
                      {reason, std::string(kProgram) + " " + kLocateCommand});
    err << kProgram << ": " << TrFill("failed: %s", {reason}) << '\n';
    return kExitFailed;
  } catch (const RunStopped& stopped) {
    if (stopped.GetSignal() == kReaderGoneSignal)
      return kExitSignal + kReaderGoneSignal;
    err << kProgram << ": "
        << TrFill("stopped by %s; every file is as it was", {InterruptName(stopped.GetSignal())})
        << '\n';
    return kExitSignal + stopped.GetSignal();
  } catch (const CFileException& e) {
    err << kProgram << ": " << TrFill("file error: %s", {e.what()}) << '\n';
  } catch (const std::bad_alloc&) {
    err << kProgram << ": " << Tr("error: not enough memory for the run") << '\n';
  } catch (const std::exception& e) {
    err << kProgram << ": " << TrFill("error: %s", {e.what()}) << '\n';
  }
  return kExitFileError;
}

// A run that writes: its done line, and a warning when the system did not confirm the
// folder's new entry.
int ExecuteWrite(const WriteOperation& operation, bool quiet, std::ostream& out,
                 std::ostream& err) {
  return Execute(operation, err, [&](const WriteResult& result) {
    if (!quiet)
      out << DescribeDone(operation, result) << '\n';
    if (result.warning.empty())
      return int{kExitDone};
    err << kProgram << ": " << TrFill("warning: %s", {result.warning}) << '\n';
    return int{kExitUnconfirmed};
  });
}

// An address from its option (--start, --end), or else the model's; none for a usage error.
std::optional<std::string> AddressText(const std::string& given, const CommandOptions& options,
                                       std::string (ModelPreset::*modelsAddress)() const) {
  if (!given.empty())
    return given;
  if (const auto preset = FindModel(options.model))
    return ((*preset).*modelsAddress)();
  return std::nullopt;
}
std::optional<std::string> StartText(const CommandOptions& options) {
  return AddressText(options.start, options, &ModelPreset::StartText);
}
std::optional<std::string> EndText(const CommandOptions& options) {
  return AddressText(options.end, options, &ModelPreset::EndText);
}

// A mistake in the options of `command`: said under its name, pointing to its help.
int CommandMistake(std::ostream& err, const std::string& command, const std::string& message) {
  return UsageError(err, command + ": " + message, command);
}

// The exit code of a command that answers a question (`answered`: the run gave its answer):
// what kept it from answering is trouble, whatever the kind; a stop keeps its own code.
int AnswerCode(bool answered, int code) {
  return answered || code >= kExitSignal ? code : int{kAnswerTrouble};
}

// The models whose language block starts at `start`, "V135,V136"; "-" for none.
std::string ModelsStartingAt(std::uint32_t start) {
  std::string models;
  for (const ModelPreset& preset : kModelPresets)
    if (preset.start == start)
      models += (models.empty() ? "" : ",") + std::string(preset.model);
  return models.empty() ? "-" : models;
}

// "2 ranges, 3918 bytes; 2132 of them differ": the ranges' lengths, as the bytes column
// gives them, and the bytes that differ within them. "0 ranges, 0 bytes differ" for none.
std::string DifferenceSummary(const CompareResult& result) {
  const std::string ranges =
      Fill(TrPlural("%s range", "%s ranges", static_cast<unsigned long>(result.ranges)),
           {std::to_string(result.ranges)});
  if (result.ranges == 0)
    // TRANSLATORS: %1$s is a number of ranges ("0 ranges"), %2$s a number of bytes.
    return Fill(TrPlural("%1$s, %2$s byte differs", "%1$s, %2$s bytes differ",
                         static_cast<unsigned long>(result.differingBytes)),
                {ranges, std::to_string(result.differingBytes)});
  // TRANSLATORS: %1$s is a number of ranges ("2 ranges"), %2$s their length in bytes ("3918
  // bytes"), %3$s how many bytes within them differ.
  return Fill(TrPlural("%1$s, %2$s; %3$s of them differs", "%1$s, %2$s; %3$s of them differ",
                       static_cast<unsigned long>(result.differingBytes)),
              {ranges, ByteCount(result.rangeBytes), std::to_string(result.differingBytes)});
}

// A model whose table entry has a fingerprint refuses an image of another version before
// the run (exit 1); addresses given by hand go where the user says. None where the run may
// go on. (A patch checks while it holds the image.)
std::optional<int> RefuseOtherVersion(const CommandOptions& options, std::ostream& err) {
  if (options.model.empty() || !options.start.empty())
    return std::nullopt;
  try {
    const RunStatus status = CheckImageIsModel(options.source, options.model);
    // Any other trouble with the image is the run's to say, in its own words and code.
    if (status.refusal != Refusal::OtherVersion)
      return std::nullopt;
    err << kProgram << ": " << TrFill("failed: %s", {status.reason}) << '\n';
    return int{kExitFailed};
  } catch (const CFileException& e) {
    err << kProgram << ": " << TrFill("file error: %s", {e.what()}) << '\n';
    return int{kExitFileError};
  }
}

}  // namespace

int UsageError(std::ostream& err, const std::string& message, const std::string& command) {
  const std::string help =
      command.empty() ? "zarneth-cli --help" : "zarneth-cli " + command + " --help";
  err << kProgram << ": " << message << '\n'
      << TrFill("Try '%s' for more information.", {help}) << '\n';
  return kExitUsage;
}

int RunPatchCommand(const CommandOptions& options, std::ostream& out, std::ostream& err) {
  if (!options.replace.empty() && (!options.model.empty() || !options.start.empty()))
    return CommandMistake(err, kPatchCommand,
                          Tr("--replace finds the start in the image; give it without --model "
                             "and --start"));
  if (options.inPlace == !options.output.empty())
    return CommandMistake(err, kPatchCommand,
                          Tr("give exactly one of --output FILE or --in-place"));
  if (options.backup && !options.inPlace)
    return CommandMistake(err, kPatchCommand,
                          Tr("--backup keeps the image as it was; it is for --in-place"));
  if (options.inPlace && options.noClobber)
    return CommandMistake(err, kPatchCommand,
                          Tr("--no-clobber keeps an existing --output FILE; it has no "
                             "meaning with --in-place"));
  const auto start = options.replace.empty() ? StartText(options) : std::string();
  if (!start)
    return CommandMistake(err, kPatchCommand,
                          Tr("give --start HEX, --model NAME or --replace FILE"));
  // The model goes with every patch: at the model's own start, the engine's one overrun
  // rule bounds the transcript by its block; at any other start only the image's end does.
  // A replaced block bounds it as the model's block does.
  if (options.minAgree > 0 && options.replace.empty())
    return CommandMistake(err, kPatchCommand, Tr("--min-agree is for --replace"));
  // A patch at a model's start checks the image's version itself, while it holds the image.
  const BlockPlace at{*start, options.model, options.allowOverrun, options.replace,
                      options.minAgree};
  if (options.inPlace)
    return ExecuteWrite(PatchInPlace{.sourcePath = options.source,
                                     .transcriptPath = options.transcript,
                                     .at = at,
                                     .backup = options.backup,
                                     .dryRun = options.dryRun},
                        options.quiet, out, err);
  return ExecuteWrite(PatchCopy{.sourcePath = options.source,
                                .transcriptPath = options.transcript,
                                .destinationPath = options.output,
                                .at = at,
                                .noClobber = options.noClobber,
                                .dryRun = options.dryRun},
                      options.quiet, out, err);
}

int RunCutCommand(const CommandOptions& options, std::ostream& out, std::ostream& err) {
  if (const auto refused = RefuseOtherVersion(options, err))
    return *refused;
  const auto start = StartText(options);
  const auto end = EndText(options);
  if (!start || !end)
    return CommandMistake(err, kCutCommand,
                          Tr("give --model NAME, or both --start HEX and --end HEX"));
  return ExecuteWrite(CutRange{.sourcePath = options.source,
                               .destinationPath = options.output,
                               .startText = *start,
                               .endText = *end,
                               .noClobber = options.noClobber,
                               .dryRun = options.dryRun},
                      options.quiet, out, err);
}

int RunVerifyCommand(const CommandOptions& options, std::ostream& out, std::ostream& err) {
  if (const auto refused = RefuseOtherVersion(options, err))
    return *refused;
  const auto start = StartText(options);
  if (!start)
    return CommandMistake(err, kVerifyCommand, Tr("give --start HEX or --model NAME"));
  const VerifyBlock verify{options.source, options.transcript, *start};
  bool compared = false;
  const int code = Execute(verify, err, [&](const VerifyResult& result) {
    compared = true;
    const std::string image = QuotedName(verify.sourcePath);
    const std::string at = HexText(result.start);
    const std::string transcript = QuotedName(verify.transcriptPath);
    if (result.differingBytes == 0) {
      if (!options.quiet)
        // TRANSLATORS: %1$s is the image, %2$s an address, %3$s the transcript, %4$s a number of
        // bytes, %5$s a checksum.
        out << TrFill("%s at %s holds %s: %s, CRC-32 %s",
                      {image, at, transcript, ByteCount(result.comparedBytes), CrcText(result.crc)})
            << '\n';
      return int{kAnswerYes};
    }
    if (!options.quiet)
      out << TrFill(
                 // TRANSLATORS: %1$s is the image, %2$s an address, %3$s the transcript, %4$s and
                 // %5$s numbers of bytes, %6$s an address, %7$s and %8$s checksums.
                 "%s at %s differs from %s: %s of %s, the first at %s; CRC-32 %s in the image, "
                 "%s in the transcript",
                 {image, at, transcript, std::to_string(result.differingBytes),
                  ByteCount(result.comparedBytes), HexText(result.firstDifference),
                  CrcText(result.imageCrc), CrcText(result.crc)})
          << '\n';
    return int{kAnswerNo};
  });
  return AnswerCode(compared, code);
}

int RunShowCommand(const CommandOptions& options, std::ostream& out, std::ostream& err) {
  if (const auto refused = RefuseOtherVersion(options, err))
    return *refused;
  const auto start = StartText(options);
  const auto end = EndText(options);
  if (!start || !end)
    return CommandMistake(err, kShowCommand,
                          Tr("give --model NAME, or both --start HEX and --end HEX"));
  HexDump dump(out);
  ShowRange show{options.source, *start, *end, {}};
  if (!options.crcOnly)
    show.sink = [&dump](std::uint64_t address, std::span<const unsigned char> bytes) {
      dump.Add(address, bytes);
    };
  return Execute(show, err, [&](const ShowResult& result) {
    dump.Finish();
    if (options.crcOnly) {
      out << CrcText(result.crc) << '\n';
    } else {
      // TRANSLATORS: %1$s is a checksum, %2$s a number of bytes, %3$s an address.
      out << TrFill("CRC-32 %s of %s from %s",
                    {CrcText(result.crc), ByteCount(result.shownBytes), HexText(result.start)})
          << '\n';
    }
    return int{kExitDone};
  });
}

int RunLocateCommand(const CommandOptions& options, std::ostream& out, std::ostream& err) {
  std::optional<TableText> table;
  LocateBlock locate{options.source, options.transcript, options.all ? 0u : 3u, {}, options.detail};
  std::string lastShare;  // of the last place shown
  if (!options.quiet)
    locate.sink = [&](const BlockFound& found) {
      lastShare = ShareText(found.agreeing, found.PartLength());
      // A changed block's places say which part of the block each holds.
      if (!table) {
        const std::size_t address = AddressWidth(found.imageBytes);
        std::vector<std::size_t> widths{address, address,
                                        std::max<std::size_t>(5, CountWidth(found.imageBytes)), 6};
        std::vector<std::string> heads{"start", "end", "bytes", "agree"};
        if (!found.exact) {
          widths.push_back(15);
          heads.push_back("block");
        }
        widths.push_back(5);
        heads.push_back("model");
        table.emplace(widths);
        out << table->Line(heads);
      }
      std::vector<std::string> cells{
          FormatHexAddress(found.start),
          FormatHexAddress(static_cast<std::uint32_t>(found.start + found.bytes - 1)),
          std::to_string(found.bytes), ShareText(found.agreeing, found.PartLength())};
      if (!found.exact)
        cells.push_back(BlockOffsetText(found.blockFrom) + "-" +
                        BlockOffsetText(found.blockTo - 1));
      cells.push_back(ModelsStartingAt(found.start - static_cast<std::uint32_t>(found.blockFrom)));
      out << table->Line(cells);
      for (const DifferingPart& part : found.differing)
        out << "  "
            << "differs " << BlockOffsetText(part.from) << ' '
            << BlockOffsetText(part.from + part.bytes - 1) << ' ' << part.bytes << '\n';
      if (found.differingParts > found.differing.size()) {
        const std::uint64_t more = found.differingParts - found.differing.size();
        out << "  "
            << Fill(TrPlural("and %s more range", "and %s more ranges",
                             static_cast<unsigned long>(more)),
                    {std::to_string(more)})
            << '\n';
      }
    };
  bool answered = false;
  const int code = Execute(locate, err, [&](const LocateResult& result) {
    answered = true;
    if (result.places > 0) {
      if (!options.quiet && result.overlapping > 0)
        out << Fill(TrPlural("and %s more exact occurrence overlapping those shown; --all lists "
                             "them",
                             "and %s more exact occurrences overlapping those shown; --all lists "
                             "them",
                             static_cast<unsigned long>(result.overlapping)),
                    {std::to_string(result.overlapping)})
            << '\n';
      if (!options.quiet && result.tied > 0)
        // TRANSLATORS: %1$s is a count, %2$s a share ("99.8%").
        out << Fill(TrPlural("and %s more place at %s; --all lists them",
                             "and %s more places at %s; --all lists them",
                             static_cast<unsigned long>(result.tied)),
                    {std::to_string(result.tied), lastShare})
            << '\n';
      return int{kAnswerYes};
    }
    if (options.quiet)
      return int{kAnswerNo};
    const std::string image = QuotedName(options.source);
    const std::string block = QuotedName(options.transcript);
    err << kProgram << ": " << kLocateCommand << ": ";
    if (result.best) {
      const BlockFound& best = *result.best;
      err << TrFill(
          // TRANSLATORS: %1$s is the image, %2$s the block, %3$s an address, %4$s and %5$s
          // shares ("38.3%").
          "no place in %1$s holds the bytes of %2$s, exactly or clearly more of them "
          "than chance would: the best, at %3$s, agrees %4$s; chance in this image "
          "reaches %5$s there",
          {image, block, HexText(best.start), ShareText(best.agreeing, best.PartLength()),
           ShareText(result.chance * 100)});
    } else {
      err << TrFill(
          // TRANSLATORS: %1$s is the image, %2$s the block looked for.
          "no place in %s holds the bytes of %s, exactly or clearly more of them than "
          "chance would: none of the short pieces that mark it stands anywhere in it",
          {image, block});
    }
    err << '\n';
    return int{kAnswerNo};
  });
  return AnswerCode(answered, code);
}

int RunCompareCommand(const CommandOptions& options, std::ostream& out, std::ostream& err) {
  CompareImages compare{options.source, options.with, "0", "", {}};
  if (!options.start.empty() || !options.end.empty() || !options.model.empty()) {
    // A model gives both ends of the range; an address of its own overrides either.
    compare.startText = StartText(options).value_or("0");
    compare.endText = EndText(options).value_or("");
  }
  std::optional<TableText> table;
  if (!options.quiet)
    compare.sink = [&](const DifferingRange& range) {
      if (!table) {
        const std::size_t address = AddressWidth(range.imageBytes);
        table.emplace(std::vector<std::size_t>{
            address, address, std::max<std::size_t>(5, CountWidth(range.imageBytes))});
        out << table->Line({"start", "end", "bytes"});
      }
      const std::string start = FormatHexAddress(static_cast<std::uint32_t>(range.start));
      const std::string end =
          FormatHexAddress(static_cast<std::uint32_t>(range.start + range.bytes - 1));
      const std::string bytes = std::to_string(range.bytes);
      if (range.side == DifferingRange::Side::Both)
        out << table->Line({start, end, bytes});
      else
        out << table->Line(
            {start, end, bytes,
             TrFill("only in %s",
                    {QuotedName(range.side == DifferingRange::Side::OnlySource ? options.source
                                                                               : options.with)})});
    };
  bool answered = false;
  const int code = Execute(compare, err, [&](const CompareResult& result) {
    answered = true;
    if (!options.quiet) {
      out << DifferenceSummary(result) << '\n';
      // Past an insertion every byte differs: what moved is locate's to find.
      if (result.ranges >= kRangesOfMovedBytes)
        err << kProgram << ": " << kCompareCommand << ": "
            << TrFill(
                   "so many ranges differ that bytes may have moved; '%s' finds where a "
                   "block of one image stands in the other",
                   {std::string(kProgram) + " " + kLocateCommand})
            << '\n';
    }
    return int{result.ranges == 0 ? kAnswerYes : kAnswerNo};
  });
  return AnswerCode(answered, code);
}

void PrintModels(std::ostream& out) {
  // The first four columns as they always were, for scripts; then where each comes from.
  const TableText table({5, 6, 6, 5, 8});
  out << table.Line({"model", "start", "end", "bytes", "from"});
  for (const ModelEntry& model : KnownModels())
    out << table.Line({model.name, FormatHexAddress(model.start), FormatHexAddress(model.end),
                       std::to_string(std::uint64_t{model.end} - model.start + 1), model.from});
}

}  // namespace zarneth::cli

namespace zarneth::cli {
namespace {

// The table a change goes to: --table, or the user's own, whose folder is made as needed.
std::optional<std::string> TableChanged(const CommandOptions& options, std::ostream& err,
                                        const char* command) {
  if (!options.table.empty())
    return options.table;
  const std::string own = WithTableFolder(UserModelTablePath());
  if (own.empty()) {
    CommandMistake(err, command, Tr("no table of your own is known here: give --table FILE"));
    return std::nullopt;
  }
  return own;
}

// A table change's end, `change()` giving its status: done, refused (1) or a file that failed
// (3, a CFileException), in a line.
template <typename Change>
int TableChangeCode(std::ostream& err, const Change& change) {
  try {
    const RunStatus status = change();
    if (status.ok())
      return kExitDone;
    err << kProgram << ": " << TrFill("failed: %s", {status.reason}) << '\n';
    return status.refusal == Refusal::CannotWrite ? int{kExitFileError} : int{kExitFailed};
  } catch (const CFileException& e) {
    err << kProgram << ": " << TrFill("file error: %s", {e.what()}) << '\n';
    return kExitFileError;
  }
}

}  // namespace

int RunModelsAddCommand(const CommandOptions& options, std::ostream& out, std::ostream& err) {
  const auto table = TableChanged(options, err, kModelsCommand);
  if (!table)
    return kExitUsage;
  ModelEntry entry;
  entry.name = options.name;
  entry.start = *ParseHexAddress(options.start);
  entry.end = *ParseHexAddress(options.end);
  entry.note = options.note;
  if (entry.end < entry.start)
    return CommandMistake(
        err, kModelsCommand,
        // TRANSLATORS: %1$s and %2$s are addresses.
        TrFill("the end %s lies before the start %s", {HexText(entry.end), HexText(entry.start)}));
  if (const auto known = FindModel(entry.name);
      known && (known->start != entry.start || known->end != entry.end))
    return CommandMistake(err, kModelsCommand,
                          // TRANSLATORS: %1$s is a model's name, %2$s and %3$s addresses.
                          TrFill("model %s stands at %s to %s already: one name, one place",
                                 {entry.name, HexText(known->start), HexText(known->end)}));
  if (!options.source.empty()) {
    FingerprintResult fingerprint;
    if (const int code = TableChangeCode(err,
                                         [&] {
                                           fingerprint =
                                               Fingerprint(options.source, entry.start, entry.end);
                                           return fingerprint.status;
                                         });
        code != kExitDone)
      return code;
    entry.fingerprint = ModelFingerprint{fingerprint.size, fingerprint.outside, fingerprint.stock};
  }
  const int code = TableChangeCode(err, [&] { return AddToModelTable(*table, entry); });
  if (code == kExitDone && !options.quiet)
    // TRANSLATORS: %1$s is a model's name, %2$s and %3$s addresses, %4$s the table's file.
    out << TrFill("added %s (%s to %s) to the model table %s",
                  {entry.name, HexText(entry.start), HexText(entry.end), QuotedName(*table)})
        << '\n';
  return code;
}

int RunModelsRemoveCommand(const CommandOptions& options, std::ostream& out, std::ostream& err) {
  const auto table = TableChanged(options, err, kModelsCommand);
  if (!table)
    return kExitUsage;
  for (const ModelEntry& builtIn : BuiltInModels())
    if (ModelNamesMatch(builtIn.name, options.name))
      return CommandMistake(err, kModelsCommand,
                            TrFill("%s is built in and stays: a table can add to it, not take it "
                                   "away",
                                   {builtIn.name}));
  const int code = TableChangeCode(err, [&] { return RemoveFromModelTable(*table, options.name); });
  if (code == kExitDone && !options.quiet)
    // TRANSLATORS: %1$s is a model's name, %2$s the table's file.
    out << TrFill("took %s out of the model table %s", {options.name, QuotedName(*table)}) << '\n';
  return code;
}

int RunIdentifyCommand(const CommandOptions& options, std::ostream& out, std::ostream& err) {
  bool answered = false;
  const int code = Execute(IdentifyImage{options.source}, err, [&](const IdentifyResult& result) {
    answered = true;
    if (result.versions.empty()) {
      if (!options.quiet)
        err << kProgram << ": " << kIdentifyCommand << ": "
            << TrFill(
                   // TRANSLATORS: %1$s is the image, %2$s a command to run.
                   "%s is none of the versions the tables give a fingerprint; '%s' finds "
                   "where a known block stands in it",
                   {QuotedName(options.source), std::string(kProgram) + " " + kLocateCommand})
            << '\n';
      return int{kAnswerNo};
    }
    if (!options.quiet) {
      const TableText table({5, 6, 6, 7, 8});
      out << table.Line({"model", "start", "end", "block", "from"});
      for (const VersionFound& version : result.versions)
        out << table.Line({version.name, FormatHexAddress(version.start),
                           FormatHexAddress(version.end), version.stock ? "stock" : "changed",
                           version.from});
    }
    return int{kAnswerYes};
  });
  return AnswerCode(answered, code);
}

}  // namespace zarneth::cli

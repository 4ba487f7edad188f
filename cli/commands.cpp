#include "commands.h"

#include <functional>
#include <new>
#include <ostream>

#include "console.h"
#include "exit_codes.h"
#include "file_exception.h"
#include "hex_address.h"
#include "hex_dump.h"
#include "model_presets.h"
#include "patch_job.h"
#include "quoted_name.h"
#include "run_report.h"
#include "stop_request.h"

namespace zarneth::cli {
namespace {

constexpr const char* kProgram = "zarneth-cli";

// Runs the job and turns its result into the one line and the exit code a script sees.
// `report`, for a Done run, prints its line and gives the exit code; the done line of a
// run that writes by default.
int Execute(const PatchJob& job, bool quiet, std::ostream& out, std::ostream& err,
            const std::function<int(const RunResult&)>& report = {}) {
  try {
    const RunResult result = RunJob(job);
    if (result.outcome == PatchOutcome::Failed) {
      err << kProgram << ": failed: " << result.failureReason;
      if (result.overrunBytes > 0)
        err << "; give --allow-overrun to write past the block anyway";
      err << '\n';
      return kExitFailed;
    }
    if (report)
      return report(result);
    if (!quiet)
      out << DescribeDone(job, result) << '\n';
    if (result.warning.empty())
      return kExitDone;
    err << kProgram << ": warning: " << result.warning << '\n';
    return kExitUnconfirmed;
  } catch (const RunStopped& stopped) {
    err << kProgram << ": stopped by " << InterruptName(stopped.GetSignal())
        << "; every file is as it was\n";
    return kExitSignal + stopped.GetSignal();
  } catch (const CFileException& e) {
    err << kProgram << ": file error: " << e.what() << '\n';
  } catch (const std::bad_alloc&) {
    err << kProgram << ": error: not enough memory for the run\n";
  } catch (const std::exception& e) {
    err << kProgram << ": error: " << e.what() << '\n';
  }
  return kExitFileError;
}

// A job of `mode` with the files and choices of the command line; the addresses follow.
// The model goes with every job: at the model's own start, the engine's one overrun rule
// bounds the transcript by its block; at any other start only the image's end does.
PatchJob JobFrom(PatchMode mode, const CommandOptions& options) {
  PatchJob job;
  job.mode = mode;
  job.sourcePath = options.source;
  job.transcriptPath = options.transcript;
  job.destinationPath = options.output;
  job.model = options.model;
  job.allowOverrun = options.allowOverrun;
  job.dryRun = options.dryRun;
  job.noClobber = options.noClobber;
  job.backup = options.backup;
  return job;
}

// The job's start (and end) from --start/--end or the model's; false for a usage error.
bool Addresses(const CommandOptions& options, bool withEnd, PatchJob& job) {
  const auto preset = FindModel(options.model);
  if (!preset && (options.start.empty() || (withEnd && options.end.empty())))
    return false;
  job.startText = options.start.empty() ? preset->StartText() : options.start;
  if (withEnd)
    job.endText = options.end.empty() ? preset->EndText() : options.end;
  return true;
}

// A mistake in the options of `command`: said under its name, pointing to its help.
int CommandMistake(std::ostream& err, const std::string& command, const std::string& message) {
  return UsageError(err, command + ": " + message, command);
}

}  // namespace

int UsageError(std::ostream& err, const std::string& message, const std::string& command) {
  const std::string help =
      command.empty() ? "zarneth-cli --help" : "zarneth-cli " + command + " --help";
  err << kProgram << ": " << message << "\nTry '" << help << "' for more information.\n";
  return kExitUsage;
}

int RunPatchCommand(const CommandOptions& options, std::ostream& out, std::ostream& err) {
  if (options.inPlace == !options.output.empty())
    return CommandMistake(err, "patch", "give exactly one of --output FILE or --in-place");
  if (options.backup && !options.inPlace)
    return CommandMistake(err, "patch", "--backup keeps the image as it was; it is for --in-place");
  if (options.inPlace && options.noClobber)
    return CommandMistake(err, "patch",
                          "--no-clobber keeps an existing --output FILE; it has no "
                          "meaning with --in-place");
  PatchJob job = JobFrom(PatchMode::Zarneth, options);
  if (!Addresses(options, false, job))
    return CommandMistake(err, "patch", "give --start HEX or --model NAME");
  job.createNewFile = !options.inPlace;
  return Execute(job, options.quiet, out, err);
}

int RunCutCommand(const CommandOptions& options, std::ostream& out, std::ostream& err) {
  PatchJob job = JobFrom(PatchMode::Cut, options);
  if (!Addresses(options, true, job))
    return CommandMistake(err, "cut", "give --model NAME, or both --start HEX and --end HEX");

  return Execute(job, options.quiet, out, err);
}

int RunVerifyCommand(const CommandOptions& options, std::ostream& out, std::ostream& err) {
  PatchJob job = JobFrom(PatchMode::Verify, options);
  if (!Addresses(options, false, job))
    return CommandMistake(err, "verify", "give --start HEX or --model NAME");
  bool compared = false;
  const int code = Execute(job, options.quiet, out, err, [&](const RunResult& result) {
    compared = true;
    const std::string what = QuotedName(job.sourcePath) + " at " + HexText(result.start);
    if (result.differingBytes == 0) {
      if (!options.quiet)
        out << what << " holds " << QuotedName(job.transcriptPath) << ": " << result.cutLength
            << " bytes, CRC-32 " << CrcText(result.crc) << '\n';
      return int{kVerifyHolds};
    }
    if (!options.quiet)
      out << what << " differs from " << QuotedName(job.transcriptPath) << ": "
          << result.differingBytes << " of " << result.cutLength << " bytes, the first at "
          << HexText(result.firstDifference) << "; CRC-32 " << CrcText(result.imageCrc)
          << " in the image, " << CrcText(result.crc) << " in the transcript\n";
    return int{kVerifyDiffers};
  });
  // What could not be compared is trouble, not a difference; a stop keeps its own code.
  return compared || code >= kExitSignal ? code : int{kVerifyTrouble};
}

int RunShowCommand(const CommandOptions& options, std::ostream& out, std::ostream& err) {
  PatchJob job = JobFrom(PatchMode::Show, options);
  if (!Addresses(options, true, job))
    return CommandMistake(err, "show", "give --model NAME, or both --start HEX and --end HEX");
  HexDump dump(out);
  if (!options.crcOnly)
    job.sink = [&dump](std::uint64_t address, std::span<const unsigned char> bytes) {
      dump.Add(address, bytes);
    };
  return Execute(job, options.quiet, out, err, [&](const RunResult& result) {
    dump.Finish();
    if (options.crcOnly) {
      out << CrcText(result.crc) << '\n';
    } else {
      out << "CRC-32 " << CrcText(result.crc) << " of " << result.cutLength << " bytes from "
          << HexText(result.start) << '\n';
    }
    return int{kExitDone};
  });
}

void PrintModels(std::ostream& out) {
  out << "model  start   end     bytes\n";
  for (const ModelPreset& preset : kModelPresets)
    out << preset.model << "   " << preset.StartText() << "  " << preset.EndText() << "  "
        << preset.Length() << '\n';
}

}  // namespace zarneth::cli

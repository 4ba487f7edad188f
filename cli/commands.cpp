#include "commands.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <new>
#include <ostream>

#include "c_file.h"
#include "exit_codes.h"
#include "hex_address.h"
#include "patch_job.h"

namespace zarneth::cli {
namespace {

constexpr const char* kProgram = "zarneth-cli";

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
  return text;
}

int UsageError(std::ostream& err, const std::string& message) {
  err << kProgram << ": " << message << "\nRun with --help for more information.\n";
  return kExitUsage;
}

// Runs the job and turns its result into the one line and the exit code a script sees.
int Execute(const PatchJob& job, bool quiet, std::ostream& out, std::ostream& err,
            const std::function<std::string(const RunResult&)>& describeDone) {
  try {
    const RunResult result = RunJob(job);
    if (result.outcome == PatchOutcome::Failed) {
      err << kProgram << ": failed: " << result.failureReason << '\n';
      return kExitFailed;
    }
    if (!quiet)
      out << describeDone(result) << '\n';
    return kExitDone;
  } catch (const CFileException& e) {
    err << kProgram << ": file error: " << e.what() << '\n';
  } catch (const std::bad_alloc&) {
    err << kProgram << ": error: not enough memory for the run\n";
  } catch (const std::exception& e) {
    err << kProgram << ": error: " << e.what() << '\n';
  }
  return kExitFileError;
}

// With a model, a transcript longer than the model's language block would overwrite the
// firmware that follows it. Returns an empty string when it fits or cannot be measured
// (the run itself then reports the transcript).
std::string OverrunMessage(const CommandOptions& options, const ModelPreset& preset,
                           const std::string& startText) {
  std::error_code error;
  const auto transcriptSize = std::filesystem::file_size(options.transcript, error);
  if (error)
    return {};
  const std::uint32_t start = ParseHexAddress(startText);
  const std::uint32_t end = ParseHexAddress(preset.endText);
  const std::uint64_t range = end >= start ? std::uint64_t{end} - start + 1 : 0;
  if (transcriptSize <= range)
    return {};
  return "transcript " + options.transcript + " is " + std::to_string(transcriptSize) +
         " bytes, longer than the " + std::to_string(range) + " bytes of model " +
         std::string(preset.model) + "'s language block from " + Hex(start) + " to " + Hex(end) +
         "; give --allow-overrun to write past it anyway";
}

}  // namespace

std::optional<ModelPreset> FindModel(std::string_view name) {
  for (const ModelPreset& preset : kModelPresets) {
    if (preset.model.size() != name.size())
      continue;
    bool same = true;
    for (std::size_t i = 0; i < name.size(); ++i)
      same = same && std::toupper(static_cast<unsigned char>(name[i])) == preset.model[i];
    if (same)
      return preset;
  }
  return std::nullopt;
}

int RunPatchCommand(const CommandOptions& options, std::ostream& out, std::ostream& err) {
  if (options.inPlace == !options.output.empty())
    return UsageError(err, "patch: give exactly one of --output FILE or --in-place");
  const auto preset = FindModel(options.model);
  if (options.start.empty() && !preset)
    return UsageError(err, "patch: give --start HEX or --model NAME");

  PatchJob job;
  job.mode = PatchMode::Zarneth;
  job.createNewFile = !options.inPlace;
  job.sourcePath = options.source;
  job.transcriptPath = options.transcript;
  job.destinationPath = options.output;
  job.startText = options.start.empty() ? std::string(preset->startText) : options.start;

  if (preset && !options.allowOverrun) {
    const std::string overrun = OverrunMessage(options, *preset, job.startText);
    if (!overrun.empty()) {
      err << kProgram << ": " << overrun << '\n';
      return kExitUsage;
    }
  }

  return Execute(job, options.quiet, out, err, [&](const RunResult& result) {
    if (options.inPlace) {
      return "patched " + job.sourcePath + " in place: wrote " +
             std::to_string(result.bytesWritten) + " bytes of " + job.transcriptPath + " at " +
             Hex(result.patchOffset);
    }
    return "wrote " + job.destinationPath + " (" + std::to_string(result.bytesWritten) +
           " bytes): " + job.sourcePath + " with " + job.transcriptPath + " at " +
           Hex(result.patchOffset);
  });
}

int RunCutCommand(const CommandOptions& options, std::ostream& out, std::ostream& err) {
  const auto preset = FindModel(options.model);
  if (!preset && (options.start.empty() || options.end.empty()))
    return UsageError(err, "cut: give --model NAME, or both --start HEX and --end HEX");

  PatchJob job;
  job.mode = PatchMode::Cut;
  job.sourcePath = options.source;
  job.destinationPath = options.output;
  job.startText = options.start.empty() ? std::string(preset->startText) : options.start;
  job.endText = options.end.empty() ? std::string(preset->endText) : options.end;

  return Execute(job, options.quiet, out, err, [&](const RunResult& result) {
    const std::string range = result.cutLength == 0 ? "an empty range at " + Hex(result.start)
                                                    : Hex(result.start) + " to " +
                                                          Hex(result.start + result.cutLength - 1);
    return "cut " + std::to_string(result.bytesWritten) + " bytes (" + range + ") of " +
           job.sourcePath + " into " + job.destinationPath;
  });
}

void PrintModels(std::ostream& out) {
  out << "model  start   end     bytes\n";
  for (const ModelPreset& preset : kModelPresets) {
    const std::uint32_t bytes =
        ParseHexAddress(preset.endText) - ParseHexAddress(preset.startText) + 1;
    out << preset.model << "   " << preset.startText << "  " << preset.endText << "  " << bytes
        << '\n';
  }
}

}  // namespace zarneth::cli

#include "patch_job.h"

#include <optional>
#include <string_view>

#include "cut_operation.h"
#include "hex_address.h"
#include "read_only_operations.h"
#include "run_files.h"
#include "stop_request.h"
#include "zarneth_operation.h"

namespace zarneth {
namespace {

// The parsed address, or none with the run failed for a text that is not an address.
std::optional<std::uint32_t> Address(const char* which, const std::string& text,
                                     RunResult& result) {
  const auto value = ParseHexAddress(text);
  if (value)
    return value;
  // An empty field says so; the rule's advice after its colon is the same.
  const std::string_view rule = kAddressRule;
  if (text.find_first_not_of(" \t") == std::string::npos)
    FailRun(result, std::string("the ") + which + " address is empty" +
                        std::string(rule.substr(rule.find(':'))));
  else
    FailRun(result, std::string("the ") + which + " address '" + text + "' " + kAddressRule);
  return value;
}

// The paths the mode needs, in the order the form lists them.
const char* MissingPath(const PatchJob& job) {
  if (job.sourcePath.empty())
    return "source";
  const bool hasTranscript = job.mode == PatchMode::Zarneth || job.mode == PatchMode::Verify;
  if (hasTranscript && job.transcriptPath.empty())
    return "transcript";
  const bool writesCopy =
      job.mode == PatchMode::Cut || (job.mode == PatchMode::Zarneth && job.createNewFile);
  if (writesCopy && job.destinationPath.empty())
    return "destination";
  return nullptr;
}

}  // namespace

RunResult RunJob(const PatchJob& job) {
  StopIfRequested();
  RunResult result;
  if (const char* role = MissingPath(job))
    return FailRun(result, std::string("no ") + role + " file given");
  const auto start = Address("start", job.startText, result);
  if (!start)
    return result;
  result.start = *start;
  if (job.mode == PatchMode::Zarneth)
    return RunZarneth(job, result);
  if (job.mode == PatchMode::Verify)
    return RunVerify(job, result);

  const auto end = Address("end", job.endText, result);
  if (!end)
    return result;
  // Inclusive: end one below start is an empty range; further below is no range at all.
  if (std::uint64_t{*end} + 1 < *start)
    return FailRun(result, "the end address " + HexText(*end) +
                               " lies more than one below the start address " + HexText(*start));
  result.cutLength = std::uint64_t{*end} + 1 - *start;
  return job.mode == PatchMode::Show ? RunShow(job, result) : RunCut(job, result);
}

}  // namespace zarneth

#include "open_role.h"

namespace zarneth {
namespace {

const char* Purpose(unsigned flags) {
  if (flags == (CFile::modeCreate | CFile::modeWrite))
    return "create";
  if (flags == CFile::modeReadWrite)
    return "open for reading and writing";
  return "open for reading";
}

}  // namespace

RunResult& FailRun(RunResult& result, std::string reason) {
  result.outcome = PatchOutcome::Failed;
  result.failureReason = std::move(reason);
  return result;
}

std::string ShortReadReason(const CFile& file, const char* role, std::uint32_t got,
                            std::uint32_t wanted) {
  return std::string(role) + " file " + file.GetFilePath() + " came up short: read " +
         std::to_string(got) + " of " + std::to_string(wanted) + " bytes (did it change?)";
}

bool OpenForRole(CFile& file, const std::string& path, unsigned flags, const char* role,
                 RunResult& result) {
  if (path.empty()) {
    FailRun(result, std::string("no ") + role + " file given");
    return false;
  }
  std::string whyNot;
  if (file.Open(path, flags, &whyNot))
    return true;
  FailRun(result,
          std::string("cannot ") + Purpose(flags) + " " + role + " file " + path + ": " + whyNot);
  return false;
}

}  // namespace zarneth

#pragma once

#include <string>

#include "c_file.h"
#include "patch_job.h"

namespace zarneth {

// Opens `file` for one role of a run ("source", "transcript", "destination"). On refusal
// fills `result` as Failed with a sentence naming the role, the path and the reason.
bool OpenForRole(CFile& file, const std::string& path, unsigned flags, const char* role,
                 RunResult& result);

// Marks `result` Failed with `reason` and returns it, for the early exits of an operation.
RunResult& FailRun(RunResult& result, std::string reason);

// The reason for a read that ended before `wanted` bytes: the file changed under the run.
std::string ShortReadReason(const CFile& file, const char* role, std::uint32_t got,
                            std::uint32_t wanted);

}  // namespace zarneth

#pragma once

// How an operation takes hold of its files and reports a refusal: each file is opened for
// its role ("source", "transcript", "destination") with its journal settled first, the same
// file in two roles is refused, and every refusal becomes a Failed result with a sentence
// naming the role, the path and the reason.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "c_file.h"
#include "patch_job.h"
#include "save_file.h"

namespace zarneth {

// Opens `file` for one role of a run. An undo journal left beside it by an interrupted run
// is settled first: played back (noted in `result`) or, when torn, removed.
bool OpenForRole(CFile& file, const std::string& path, unsigned flags, const char* role,
                 RunResult& result);

// Checks the destination of a new file and settles its journal, before anything is written.
bool PrepareDestination(SaveFile& destination, const std::string& path, RunResult& result);

// Creates the destination's temporary file; the last step before anything is written.
bool BeginDestination(SaveFile& destination, const std::string& path, RunResult& result);

// Refuses one file in two roles, found by identity whatever names and locks say.
using HeldFile = std::pair<const char*, const CFile*>;
bool RefuseSameFile(std::initializer_list<HeldFile> files, RunResult& result);

// Marks `result` Failed with `reason` and returns it, for the early exits of an operation.
RunResult& FailRun(RunResult& result, std::string reason);

// The reason for a read that ended before `wanted` bytes: the file changed under the run.
std::string ShortReadReason(const CFile& file, const char* role, std::uint64_t got,
                            std::uint64_t wanted);

// An address or offset as the user writes it: "0x1CD800".
std::string HexText(std::uint64_t value);

}  // namespace zarneth

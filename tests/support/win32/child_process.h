#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace zarneth::test {

// The full path of a program built beside the running test program.
std::string ProgramBeside(const std::string& name);

// Starts `program` with `arguments` (UTF-8, quoted as the C runtime splits them), its
// standard input empty and its output into `out` and `err` (null: discarded). Returns the
// process handle; throws when it cannot start.
HANDLE StartProcess(const std::string& program, const std::vector<std::string>& arguments,
                    HANDLE out, HANDLE err, DWORD creationFlags = 0);

// Waits up to `milliseconds` for the process, ends it when it takes longer, closes the
// handle and returns its exit code.
int WaitProcess(HANDLE process, DWORD milliseconds = INFINITE);

}  // namespace zarneth::test

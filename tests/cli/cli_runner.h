#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "temp_dir.h"

namespace zarneth::test {

struct CliRun {
  int exitCode;
  std::string out;
  std::string err;
};

// Runs the built zarneth-cli with `args` (at most 20 seconds), its output kept in `dir`.
CliRun RunCli(const std::vector<std::string>& args, const TempDir& dir);

// Runs zarneth-cli with its stdout on a device that takes no byte (/dev/full: every write
// fails with ENOSPC); none where the system has no such device (Windows).
std::optional<CliRun> RunCliIntoFullDevice(const std::vector<std::string>& args,
                                           const TempDir& dir);

// Runs zarneth-cli with its stdout on a pipe whose reader has gone; returns the exit code.
int RunCliIntoClosedPipe(const std::vector<std::string>& args);

// Starts zarneth-cli itself (no wrapper, so a signal reaches it) without waiting; returns the
// process id.
int StartCli(const std::vector<std::string>& args);
// Waits for a started process; returns its exit code, or 128 + the signal that ended it.
int WaitCli(int pid);

// Whether a command line can carry `text` to the program unchanged: never a NUL byte, and
// on Windows, whose command line is UTF-16, only valid UTF-8.
bool CommandLineCarries(const std::string& text);

// Ends a started run outright, as SIGKILL or TerminateProcess does.
void KillCli(int pid);

// A way to ask a run to stop at its next safe point, and the exit code a stopped run gives.
struct Interrupt {
  const char* name;
  int exitCode;
};
// Those this platform has: SIGINT, SIGTERM and SIGHUP; Ctrl+Break.
std::vector<Interrupt> Interrupts();
void InterruptCli(int pid, const Interrupt& interrupt);

}  // namespace zarneth::test

#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zarneth::cli {

// The command line as UTF-8 texts, whatever the system's code page: on Windows read from
// the wide command line, elsewhere argv as it is.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Makes the console show the UTF-8 the tool writes (Windows); nothing to do elsewhere.
void PrepareConsole();

// Asks the run to stop at its next safe point when the user interrupts it: SIGHUP, SIGINT
// and SIGTERM on POSIX; Ctrl+C, Ctrl+Break and closing the console window on Windows.
void StopOnInterrupts();

// Asked after a write to standard output failed: whether it is a pipe or socket whose reader
// has gone (`... | head -1`); the output's loss is then the reader's choice, not an error of
// the run.
bool OutputReaderGone();

// The width help is wrapped to: the terminal's, or 80 when the output is no terminal.
std::size_t HelpColumns();

// What stopped a run, for its last line: "SIGINT", "Ctrl+C", ...
const char* InterruptName(int signalNumber);

// The interrupts and their exit codes, for --help: "128 + signal number when stopped by
// SIGHUP, SIGINT or SIGTERM"; on Windows Ctrl+C, Ctrl+Break and closing the console.
std::string InterruptsHelp();

}  // namespace zarneth::cli

#pragma once

#include <string>

namespace zarneth::cli {

// What a script sees of a run; --help lists them from the meanings below, and the README.
enum ExitCode : int {
  kExitDone = 0,
  kExitFailed = 1,       // the run refused: a missing or held file, a bad address or range
  kExitUsage = 2,        // the command line itself is wrong; nothing was opened
  kExitFileError = 3,    // an open file failed mid-run (disk full); every file is as it was
  kExitUnconfirmed = 4,  // done, but the system did not confirm the new content on the disk
  kExitSignal = 128,     // plus the signal's number: stopped by SIGHUP, SIGINT or SIGTERM
};

// verify's own, as cmp's: the image holds the transcript, differs from it, or could not be
// compared with it (a usage error, a refused or failing file).
enum VerifyExitCode : int {
  kVerifyHolds = 0,
  kVerifyDiffers = 1,
  kVerifyTrouble = 2,
};

// What each code says, as --help lists them.
struct CodeMeaning {
  int code;
  const char* meaning;
};
inline constexpr CodeMeaning kExitCodeMeanings[] = {
    {kExitDone, "done"},
    {kExitFailed, "failed (nothing changed)"},
    {kExitUsage, "usage error (nothing opened)"},
    {kExitFileError, "file error during the run (e.g. disk full; nothing changed)"},
    {kExitUnconfirmed,
     "done, but the system did not confirm that the new content is on the disk (it is in "
     "place)"},
};
inline constexpr CodeMeaning kVerifyCodeMeanings[] = {
    {kVerifyHolds, "when the image holds the transcript"},
    {kVerifyDiffers, "when it differs"},
    {kVerifyTrouble,
     "when they could not be compared (a usage error, a missing or unreadable file)"},
};

// The tool's help footer: the address rule and the exit codes, with the signals that stop a
// run; and verify's, its own exit codes. Both wrapped for an 80-column terminal.
std::string HelpFooter();
std::string VerifyHelpFooter();

}  // namespace zarneth::cli

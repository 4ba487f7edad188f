#pragma once

namespace zarneth::cli {

// What a script sees of a run; each command's --help lists its own from the meanings below,
// and so does the README.
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

// What each code says, as a command's --help lists them.
struct CodeMeaning {
  int code;
  const char* meaning;
};
// patch and cut, and the tool's own help.
inline constexpr CodeMeaning kExitCodeMeanings[] = {
    {kExitDone, "done"},
    {kExitFailed, "failed (nothing changed)"},
    {kExitUsage, "usage error (nothing opened)"},
    {kExitFileError, "file error during the run (e.g. disk full; nothing changed)"},
    {kExitUnconfirmed,
     "done, but the system did not confirm that the new content is on the disk (it is in "
     "place)"},
};
// show reads only: nothing it does is left unconfirmed.
inline constexpr CodeMeaning kShowCodeMeanings[] = {
    {kExitDone, "done"},
    {kExitFailed, "failed (a missing or unreadable file, a range outside the image)"},
    {kExitUsage, "usage error (nothing opened)"},
    {kExitFileError, "read error during the run"},
};
inline constexpr CodeMeaning kModelsCodeMeanings[] = {
    {kExitDone, "done"},
    {kExitFailed, "the list could not be written"},
    {kExitUsage, "usage error"},
};
inline constexpr CodeMeaning kVerifyCodeMeanings[] = {
    {kVerifyHolds, "when the image holds the transcript"},
    {kVerifyDiffers, "when it differs"},
    {kVerifyTrouble,
     "when they could not be compared (a usage error, a missing or unreadable file)"},
};

}  // namespace zarneth::cli

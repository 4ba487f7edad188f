#pragma once

namespace zarneth::cli {

// What a script sees of a run; listed in --help and the README.
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

}  // namespace zarneth::cli

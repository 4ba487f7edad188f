#pragma once

#include "words.h"

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

// The commands that answer a question, as cmp's and grep's: verify (the image holds the
// transcript, or differs from it), locate (the block was found, or not), compare (the images
// are the same, or differ); trouble where no answer could be given (a usage error, a
// refused or failing file).
enum AnswerExitCode : int {
  kAnswerYes = 0,
  kAnswerNo = 1,
  kAnswerTrouble = 2,
};

// What each code says, as a command's --help lists them.
struct CodeMeaning {
  int code;
  const char* meaning;
};
// patch and cut, and the tool's own help.
inline constexpr CodeMeaning kExitCodeMeanings[] = {
    {kExitDone, TrMark("done")},
    {kExitFailed, TrMark("failed (nothing changed)")},
    {kExitUsage, TrMark("usage error (nothing opened)")},
    {kExitFileError, TrMark("file error during the run (e.g. disk full; nothing changed)")},
    {kExitUnconfirmed,
     TrMark("done, but the system did not confirm that the new content is on the disk (it is in "
            "place)")},
};
// show reads only: nothing it does is left unconfirmed.
inline constexpr CodeMeaning kShowCodeMeanings[] = {
    {kExitDone, TrMark("done")},
    {kExitFailed, TrMark("failed (a missing or unreadable file, a range outside the image)")},
    {kExitUsage, TrMark("usage error (nothing opened)")},
    {kExitFileError, TrMark("read error during the run")},
};
inline constexpr CodeMeaning kModelsCodeMeanings[] = {
    {kExitDone, TrMark("done")},
    {kExitFailed, TrMark("the list could not be written")},
    {kExitUsage, TrMark("usage error")},
};
inline constexpr CodeMeaning kTableCodeMeanings[] = {
    {kExitDone, TrMark("done")},
    {kExitFailed, TrMark("refused (the name is there already, or not there), nothing changed")},
    {kExitUsage, TrMark("usage error")},
    {kExitFileError, TrMark("a file failed during the change; the table is as it was")},
};
inline constexpr CodeMeaning kIdentifyCodeMeanings[] = {
    {kAnswerYes, TrMark("when the image is a version of the tables")},
    {kAnswerNo, TrMark("when it is none of them")},
    {kAnswerTrouble, TrMark("when it could not be read (a usage error, a missing file)")},
};
inline constexpr CodeMeaning kVerifyCodeMeanings[] = {
    {kAnswerYes, TrMark("when the image holds the transcript")},
    {kAnswerNo, TrMark("when it differs")},
    {kAnswerTrouble,
     TrMark("when they could not be compared (a usage error, a missing or unreadable file)")},
};
inline constexpr CodeMeaning kLocateCodeMeanings[] = {
    {kAnswerYes, TrMark("when the block was found")},
    {kAnswerNo, TrMark("when no place holds it")},
    {kAnswerTrouble,
     TrMark(
         "when it could not be looked for (a usage error, a missing, empty or unreadable file)")},
};
inline constexpr CodeMeaning kCompareCodeMeanings[] = {
    {kAnswerYes, TrMark("when the images are the same")},
    {kAnswerNo, TrMark("when they differ")},
    {kAnswerTrouble,
     TrMark("when they could not be compared (a usage error, a missing or unreadable file, a range "
            "past the end of both)")},
};

}  // namespace zarneth::cli

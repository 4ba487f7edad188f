#pragma once

#include <optional>

namespace zarneth::cli {

// The stop a run is asked for when the reader of its standard output went away: SIGPIPE's
// number, on every system, so that a search whose lines nobody reads ends as `yes | head`
// ends (exit 128 + 13), and says nothing.
inline constexpr int kReaderGoneSignal = 13;

// Sends std::cout to stdout in a way that keeps the reason of a failed write, for
// WithOutputChecked; called before anything is written.
void WatchStandardOutput();

// What a run's exit code becomes when its standard output could not be written (a full
// disk, /dev/full): the coreutils' "zarneth-cli: write error: No space left on device" on
// stderr, and `codeOnFailure` in place of `code`, or `code` itself where none is given (a run
// that put a file in place: the code says what the files hold). A reader that went away (a
// closed pipe) is no error of the run's: nothing is said and the code stays.
int WithOutputChecked(int code, std::optional<int> codeOnFailure);

}  // namespace zarneth::cli

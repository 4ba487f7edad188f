#pragma once

#include <iosfwd>
#include <optional>

namespace zarneth {

// The dialog takes no options of its own, but answers --version and --help on the terminal
// without opening a window, as desktop programs on Linux do; any other argument is an error
// on `err` that names it (exit code 2), and no window opens. Returns the exit code when the
// program is done; none when the dialog should start.
std::optional<int> AnswerCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace zarneth

#pragma once

#include <iosfwd>
#include <optional>

namespace zarneth {

// The dialog takes no options of its own, but answers --version and --help on the terminal
// without opening a window, as desktop programs on Linux do. Returns the exit code when
// `argv` asked for one of them; none when the dialog should start.
std::optional<int> AnswerCommandLine(int argc, char** argv, std::ostream& out);

}  // namespace zarneth

#pragma once

namespace zarneth {

// Where --help points for the command-line tool and the whole story: the manual pages on
// Linux; on Windows, which has none, zarneth-cli.exe's own --help and the README beside the
// programs.
extern const char* const kHelpPointer;

}  // namespace zarneth

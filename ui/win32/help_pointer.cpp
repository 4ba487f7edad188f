#include "help_pointer.h"

#include "words.h"

namespace zarneth {

const char* const kHelpPointer = TrMark(
    "For scripts and batch runs, see zarneth-cli.exe --help, and README.txt beside the\n"
    "programs for the whole guide.");

}  // namespace zarneth

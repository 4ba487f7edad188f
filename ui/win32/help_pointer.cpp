#include "help_pointer.h"

namespace zarneth {

const char* const kHelpPointer =
    "For scripts and batch runs, see zarneth-cli.exe --help, and README.txt beside the\n"
    "programs for the whole guide.\n";

}  // namespace zarneth

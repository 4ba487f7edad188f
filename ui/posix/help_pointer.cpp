#include "help_pointer.h"

namespace zarneth {

const char* const kHelpPointer = "For scripts and batch runs, see zarneth-cli(1).\n";

}  // namespace zarneth

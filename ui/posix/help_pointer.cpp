#include "help_pointer.h"

#include "words.h"

namespace zarneth {

const char* const kHelpPointer = TrMark("For scripts and batch runs, see zarneth-cli(1).");

}  // namespace zarneth

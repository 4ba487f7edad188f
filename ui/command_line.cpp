#include "command_line.h"

#include <ostream>
#include <string_view>

#include "version_record.h"

namespace zarneth {

std::optional<int> AnswerCommandLine(int argc, char** argv, std::ostream& out) {
  if (argc != 2)
    return std::nullopt;
  const std::string_view option = argv[1];
  if (option == "--version") {
    out << "zarneth " << version::kVersion << '\n'
        << version::kProductName << ", " << version::kFileDescription << '\n'
        << version::kLegalCopyright << '\n';
    return 0;
  }
  if (option == "--help" || option == "-h") {
    out << "Usage: zarneth [--help | --version]\n"
           "Opens the Zarneth dialog, which writes a language block (transcript) into an\n"
           "Alcatel BE4 V4.0 firmware image, or cuts an address range out of an image.\n"
           "For scripts and batch runs, see zarneth-cli(1).\n";
    return 0;
  }
  return std::nullopt;
}

}  // namespace zarneth

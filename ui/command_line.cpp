#include "command_line.h"

#include <ostream>
#include <string_view>

#include "help_pointer.h"
#include "quoted_name.h"
#include "version_record.h"
#include "words.h"

namespace zarneth {

std::optional<int> AnswerCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err) {
  if (argc < 2)
    return std::nullopt;
  const std::string_view option = argv[1];
  if (option == "--version") {
    out << "zarneth (Zarneth) " << version::kVersion << '\n'
        << version::kLegalCopyright << '\n'
        << version::kLicenceLine << '\n';
    return 0;
  }
  if (option == "--help" || option == "-h") {
    out << TrFill("Usage: %s", {"zarneth [--help | --version]"}) << '\n'
        << Tr("Opens the Zarneth dialog, which writes a language block (transcript) into an\n"
              "Alcatel BE4 V4.0 firmware image, or cuts an address range out of an image.")
        << '\n'
        << Tr(kHelpPointer) << '\n';
    return 0;
  }
  // Anything else, one argument too many included, named in quotes.
  const std::string_view bad =
      argc > 2 && (option == "--version" || option == "--help" || option == "-h")
          ? std::string_view(argv[2])
          : option;
  const std::string quoted = QuotedName(bad);
  err << "zarneth: "
      << (bad.starts_with('-') ? TrFill("unrecognized option %s", {quoted})
                               : TrFill("unexpected argument %s", {quoted}))
      << '\n'
      << TrFill("Try '%s' for more information.", {"zarneth --help"}) << '\n';
  return 2;
}

}  // namespace zarneth

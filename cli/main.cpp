// zarneth-cli: the patch engine for scripts and batch runs. Builds a PatchJob from the
// command line and hands it to RunJob, like the dialog's Do button.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>

#include "commands.h"
#include "console.h"
#include "exit_codes.h"
#include "hex_address.h"
#include "model_presets.h"
#include "usage_check.h"
#include "version_record.h"

namespace {

using zarneth::cli::CommandOptions;

// The engine's one address rule, checked here too so that a typo is a usage error.
const CLI::Validator kAddress(
    [](std::string& text) -> std::string {
      if (zarneth::ParseHexAddress(text))
        return {};
      return "'" + text + "' " + zarneth::kAddressRule;
    },
    "HEX", "address");

// Every file is a regular file or a new name: a run is all or nothing, which a stream
// ("-", standard input or output) cannot be.
const CLI::Validator kPath(
    [](std::string& text) -> std::string {
      if (text.empty())
        return "an empty path names no file";
      if (text == "-")
        return "'-' names no file: give a file's name (a run writes a whole file or none, which "
               "a stream cannot take)";
      return {};
    },
    "FILE", "path");

const CLI::Validator kModel(
    [](std::string& text) -> std::string {
      if (zarneth::FindModel(text))
        return {};
      return "'" + text + "' is not a model: give " + zarneth::ModelChoiceText();
    },
    "NAME", "model");

void AddModelAndStart(CLI::App& command, CommandOptions& options) {
  command.add_option("--model", options.model, "Take the addresses of this firmware version")
      ->check(kModel);
  command.add_option("--start", options.start, "Start address (overrides the model's)")
      ->check(kAddress);
}

// The image and the range a cut or a dump reads: a model's block, or addresses of its own.
void AddSourceAndRange(CLI::App& command, CommandOptions& options) {
  command.add_option("--source", options.source, "Firmware image")->required()->check(kPath);
  AddModelAndStart(command, options);
  command.add_option("--end", options.end, "End address, inclusive (overrides the model's)")
      ->check(kAddress);
}

// -q before the command or after it: the same flag.
void AddQuietFlag(CLI::App& command, CommandOptions& options,
                  const char* help = "Print nothing when done") {
  command.add_flag("-q,--quiet", options.quiet, help);
}

// The flags every command that writes takes.
void AddRunFlags(CLI::App& command, CommandOptions& options) {
  command.add_flag("--dry-run", options.dryRun,
                   "Make every check of the run and say what it would write; write nothing");
  command.add_flag("--no-clobber", options.noClobber,
                   "Refuse an --output FILE that exists, before anything is written");
  AddQuietFlag(command, options);
}

// The image and the transcript a patch or a verify works on, and the start address.
void AddSourceAndTranscript(CLI::App& command, CommandOptions& options,
                            const char* transcriptHelp) {
  command.add_option("--source", options.source, "Firmware image")->required()->check(kPath);
  command.add_option("--transcript", options.transcript, transcriptHelp)->required()->check(kPath);
  AddModelAndStart(command, options);
}

void AddPatchOptions(CLI::App& patch, CommandOptions& options) {
  AddSourceAndTranscript(patch, options, "Language block to write");
  patch.add_option("--output", options.output, "Write a patched copy here")->check(kPath);
  patch.add_flag("--in-place", options.inPlace, "Change the image itself");
  patch.add_flag("--backup", options.backup,
                 "With --in-place: keep the image as it was as IMAGE.bak (or .bak.1, ...)");
  patch.add_flag("--allow-overrun", options.allowOverrun,
                 "Allow a transcript longer than the model's language block");
  AddRunFlags(patch, options);
}

void AddCutOptions(CLI::App& cut, CommandOptions& options) {
  AddSourceAndRange(cut, options);
  cut.add_option("--output", options.output, "File to write the range to")
      ->required()
      ->check(kPath);
  AddRunFlags(cut, options);
}

void AddVerifyOptions(CLI::App& verify, CommandOptions& options) {
  AddSourceAndTranscript(verify, options, "Language block to look for");
  AddQuietFlag(verify, options, "Print nothing; the exit code says it");
  verify.footer(zarneth::cli::VerifyHelpFooter() + verify.get_footer());
}

void AddShowOptions(CLI::App& show, CommandOptions& options) {
  AddSourceAndRange(show, options);
  show.add_flag("--crc", options.crcOnly, "Print only the range's CRC-32");
}

int RunModelsCommand(const CommandOptions&, std::ostream& out, std::ostream&) {
  zarneth::cli::PrintModels(out);
  return zarneth::cli::kExitDone;
}

// The commands, in the order --help lists them: each with its options and what runs it.
struct Command {
  const char* name;
  const char* description;
  void (*addOptions)(CLI::App&, CommandOptions&);
  int (*run)(const CommandOptions&, std::ostream&, std::ostream&);
};
constexpr Command kCommands[] = {
    {"patch", "Write a transcript into an image", AddPatchOptions, zarneth::cli::RunPatchCommand},
    {"cut", "Copy an address range of an image into a file", AddCutOptions,
     zarneth::cli::RunCutCommand},
    {"verify", "Check that an image holds a transcript; reads only", AddVerifyOptions,
     zarneth::cli::RunVerifyCommand},
    {"show", "Dump an address range of an image in hex; reads only", AddShowOptions,
     zarneth::cli::RunShowCommand},
    {"models", "List the firmware versions and their addresses", nullptr, RunModelsCommand},
};

// The command line's command: its first word that is not an option (the options before it
// take no value). Empty when there is none.
std::string NamedCommand(const std::vector<std::string>& arguments) {
  for (const std::string& word : arguments)
    if (word.empty() || word[0] != '-')
      return word;
  return {};
}

// The tool's options, its commands, and the options of the command `named` only: the others
// are never read in this run, and building CLI11's options is most of the tool's start-up.
void BuildApp(CLI::App& app, CommandOptions& options, const std::string& named) {
  app.set_version_flag(
      "--version", std::string("zarneth-cli (Zarneth) ") + zarneth::version::kVersion + "\n" +
                       zarneth::version::kLegalCopyright + "\n" + zarneth::version::kLicenceLine);
  app.require_subcommand(1);
  app.footer(zarneth::cli::HelpFooter());
  AddQuietFlag(app, options);
  for (const Command& command : kCommands) {
    CLI::App* sub = app.add_subcommand(command.name, command.description);
    if (command.addOptions && named == command.name)
      command.addOptions(*sub, options);
  }
}

}  // namespace

int main(int argc, char** argv) {
  zarneth::cli::StopOnInterrupts();
  zarneth::cli::PrepareConsole();
  std::vector<std::string> arguments = zarneth::cli::Utf8Arguments(argc, argv);
  arguments.erase(arguments.begin());
  // "zarneth-cli help" is a request for the help, as in other tools with commands; so is
  // "/?", as Windows users ask a program, before or right after the command.
  if (arguments.size() == 1 && arguments[0] == "help")
    arguments[0] = "--help";
  const bool commandFirst = !arguments.empty() && !arguments[0].starts_with('-');
  for (std::size_t i = 0; i < arguments.size() && i < 2; ++i)
    if (arguments[i] == "/?" && (i == 0 || commandFirst))
      arguments[i] = "--help";

  CLI::App app{
      "Zarneth: writes a language block (transcript) into an Alcatel BE4 V4.0 firmware image,\n"
      "or cuts an address range out of an image into a file of its own.",
      "zarneth-cli"};
  CommandOptions options;
  const std::string named = NamedCommand(arguments);
  BuildApp(app, options, named);
  // Usage errors point to the named command's own help, where its options are listed.
  const bool known = std::any_of(std::begin(kCommands), std::end(kCommands),
                                 [&](const Command& c) { return named == c.name; });
  const auto usageError = [&](const std::string& message) {
    return zarneth::cli::UsageError(std::cerr, message, known ? named : std::string());
  };
  if (const auto mistake = zarneth::cli::UsageMistake(app, arguments))
    return usageError(*mistake);
  try {
    // CLI11 takes the arguments last first.
    std::reverse(arguments.begin(), arguments.end());
    app.parse(arguments);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    return usageError(zarneth::cli::UsageMessage(e));
  }

  for (const Command& command : kCommands)
    if (app.got_subcommand(command.name))
      return command.run(options, std::cout, std::cerr);
  return zarneth::cli::kExitDone;
}

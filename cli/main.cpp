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

int UsageError(const std::string& message) {
  std::cerr << "zarneth-cli: " << message << "\nTry 'zarneth-cli --help' for more information.\n";
  return zarneth::cli::kExitUsage;
}

void AddModelAndStart(CLI::App& command, CommandOptions& options) {
  command.add_option("--model", options.model, "Take the addresses of this firmware version")
      ->check(kModel);
  command.add_option("--start", options.start, "Start address (overrides the model's)")
      ->check(kAddress);
}

// The flags every command that writes takes.
void AddRunFlags(CLI::App& command, CommandOptions& options) {
  command.add_flag("--dry-run", options.dryRun,
                   "Make every check of the run and say what it would write; write nothing");
  command.add_flag("--no-clobber", options.noClobber,
                   "Refuse an --output FILE that exists, before anything is written");
  command.add_flag("-q,--quiet", options.quiet, "Print nothing when done");
}

}  // namespace

int main(int argc, char** argv) {
  zarneth::cli::StopOnInterrupts();
  zarneth::cli::PrepareConsole();
  CLI::App app{
      "Zarneth: writes a language block (transcript) into an Alcatel BE4 V4.0 firmware image,\n"
      "or cuts an address range out of an image into a file of its own.",
      "zarneth-cli"};
  app.set_version_flag(
      "--version", std::string("zarneth-cli (Zarneth) ") + zarneth::version::kVersion + "\n" +
                       zarneth::version::kLegalCopyright + "\n" + zarneth::version::kLicenceLine);
  app.require_subcommand(1);
  app.footer(std::string(
                 "Addresses: 1 to 8 hex digits, optionally after 0x. A block must lie inside "
                 "the image.\n"
                 "Exit codes: 0 done, 1 failed (nothing changed), 2 usage error (nothing "
                 "opened),\n"
                 "3 file error during the run (e.g. disk full; nothing changed), 4 done, but "
                 "the\n"
                 "system did not confirm that the new content is on the disk (it is in place),\n") +
             zarneth::cli::kInterruptsHelp + " (nothing changed).\n");

  CommandOptions options;
  app.add_flag("-q,--quiet", options.quiet, "Print nothing when done");
  auto* patch = app.add_subcommand("patch", "Write a transcript into an image");
  patch->add_option("--source", options.source, "Firmware image")->required()->check(kPath);
  patch->add_option("--transcript", options.transcript, "Language block to write")
      ->required()
      ->check(kPath);
  AddModelAndStart(*patch, options);
  patch->add_option("--output", options.output, "Write a patched copy here")->check(kPath);
  patch->add_flag("--in-place", options.inPlace, "Change the image itself");
  patch->add_flag("--backup", options.backup,
                  "With --in-place: keep the image as it was as IMAGE.bak (or .bak.1, ...)");
  patch->add_flag("--allow-overrun", options.allowOverrun,
                  "Allow a transcript longer than the model's language block");
  AddRunFlags(*patch, options);

  auto* cut = app.add_subcommand("cut", "Copy an address range of an image into a file");
  cut->add_option("--source", options.source, "Firmware image")->required()->check(kPath);
  AddModelAndStart(*cut, options);
  cut->add_option("--end", options.end, "End address, inclusive (overrides the model's)")
      ->check(kAddress);
  cut->add_option("--output", options.output, "File to write the range to")
      ->required()
      ->check(kPath);
  AddRunFlags(*cut, options);

  auto* verify = app.add_subcommand("verify", "Check that an image holds a transcript; reads only");
  verify->add_option("--source", options.source, "Firmware image")->required()->check(kPath);
  verify->add_option("--transcript", options.transcript, "Language block to look for")
      ->required()
      ->check(kPath);
  AddModelAndStart(*verify, options);
  verify->add_flag("-q,--quiet", options.quiet, "Print nothing when the image holds it");

  auto* show = app.add_subcommand("show", "Dump an address range of an image in hex; reads only");
  show->add_option("--source", options.source, "Firmware image")->required()->check(kPath);
  AddModelAndStart(*show, options);
  show->add_option("--end", options.end, "End address, inclusive (overrides the model's)")
      ->check(kAddress);
  show->add_flag("--crc", options.crcOnly, "Print only the range's CRC-32");

  auto* models = app.add_subcommand("models", "List the firmware versions and their addresses");

  std::vector<std::string> arguments = zarneth::cli::Utf8Arguments(argc, argv);
  arguments.erase(arguments.begin());
  // "zarneth-cli help" is a request for the help, as in other tools with commands.
  if (arguments.size() == 1 && arguments[0] == "help")
    arguments[0] = "--help";
  if (const auto mistake = zarneth::cli::UsageMistake(app, arguments))
    return UsageError(*mistake);
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
    return UsageError(zarneth::cli::UsageMessage(e));
  }

  if (patch->parsed())
    return zarneth::cli::RunPatchCommand(options, std::cout, std::cerr);
  if (cut->parsed())
    return zarneth::cli::RunCutCommand(options, std::cout, std::cerr);
  if (verify->parsed())
    return zarneth::cli::RunVerifyCommand(options, std::cout, std::cerr);
  if (show->parsed())
    return zarneth::cli::RunShowCommand(options, std::cout, std::cerr);
  if (models->parsed())
    zarneth::cli::PrintModels(std::cout);
  return zarneth::cli::kExitDone;
}

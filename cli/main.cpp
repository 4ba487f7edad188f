// zarneth-cli: the patch engine for scripts and batch runs. Builds the operation each command
// names from the command line and runs it on the engine the dialog's Do button uses.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <optional>

#include "command_line.h"
#include "command_names.h"
#include "commands.h"
#include "console.h"
#include "exit_codes.h"
#include "help_text.h"
#include "hex_address.h"
#include "model_presets.h"
#include "model_table.h"
#include "model_tables.h"
#include "output_errors.h"
#include "version_record.h"
#include "words.h"

namespace {

using zarneth::Tr;
using zarneth::TrFill;
using zarneth::TrMark;
using zarneth::cli::CommandOptions;

// The engine's one address rule, checked here too so that a typo is a usage error.
const CLI::Validator kAddress(
    [](std::string& text) -> std::string {
      if (zarneth::ParseHexAddress(text))
        return {};
      return zarneth::NotAnAddress(text);
    },
    "", "address");

// A path given as text: `stream` says why "-" (standard input or output) cannot stand for it.
CLI::Validator PathValidator(const char* stream) {
  return CLI::Validator(
      [stream](std::string& text) -> std::string {
        if (text.empty())
          return Tr("an empty path names no file");
        if (text == "-")
          return TrFill("'-' names no file: give a file's name (%s)", {Tr(stream)});
        return {};
      },
      "", "path");
}
// A file written: a run is all or nothing, which a stream cannot be.
const CLI::Validator kOutputPath =
    PathValidator(TrMark("a run writes a whole file or none, which a stream cannot take"));
// A file read: the image and the transcript are read at their addresses and measured first,
// which a stream cannot be.
const CLI::Validator kInputPath =
    PathValidator(TrMark("a run reads a file at its addresses and knows its length first, which a "
                         "stream has not"));

const CLI::Validator kModelName(
    [](std::string& text) -> std::string {
      return zarneth::IsModelName(text) ? std::string()
                                        : Tr("a name is 1 to 32 letters, digits, '.', '-' or '_'");
    },
    "", "name");

const CLI::Validator kModel(
    [](std::string& text) -> std::string {
      if (zarneth::FindModel(text))
        return {};
      // TRANSLATORS: %1$s is what was given, %2$s the list of models ("V135, V136 or V137").
      return TrFill("'%s' is not a model: give %s", {text, zarneth::ModelChoiceText()});
    },
    "", "model");

// The model tables, read before the options (UseModelTables); taken here so that the
// command line accepts them before or after the command, as often as given.
void AddModelTables(CLI::App& command, CommandOptions& options) {
  command
      .add_option("--models", options.models, Tr("Read the versions of this model table too"))
      // TRANSLATORS: a placeholder in the help, in capitals as coreutils' catalogs write
      // them (DATEI, FICHIER, ФАЙЛ; ADRESSE, АДРЕС for HEX).
      ->type_name(Tr("FILE"));
}

void AddModelAndStart(CLI::App& command, CommandOptions& options) {
  AddModelTables(command, options);
  command.add_option("--model", options.model, Tr("Take the addresses of this firmware version"))
      ->check(kModel)
      // TRANSLATORS: a placeholder in the help, in capitals as coreutils' catalogs write
      // them (DATEI, FICHIER, ФАЙЛ; ADRESSE, АДРЕС for HEX).
      ->type_name(Tr("NAME"));
  command.add_option("--start", options.start, Tr("Start address (overrides the model's)"))
      ->check(kAddress)
      // TRANSLATORS: a placeholder in the help, in capitals as coreutils' catalogs write
      // them (DATEI, FICHIER, ФАЙЛ; ADRESSE, АДРЕС for HEX).
      ->type_name(Tr("HEX"));
}

// The image a command reads, which every command but a table's change needs.
void AddSource(CLI::App& command, CommandOptions& options) {
  command.add_option("--source", options.source, Tr("Firmware image"))
      ->required()
      ->check(kInputPath)
      ->type_name(Tr("FILE"));
}

// The end of a range, which a model's block gives where it is not given.
void AddEnd(CLI::App& command, CommandOptions& options) {
  command.add_option("--end", options.end, Tr("End address, inclusive (overrides the model's)"))
      ->check(kAddress)
      ->type_name(Tr("HEX"));
}

// The image and the range a cut or a dump reads: a model's block, or addresses of its own.
void AddSourceAndRange(CLI::App& command, CommandOptions& options) {
  AddSource(command, options);
  AddModelAndStart(command, options);
  AddEnd(command, options);
}

// -q before the command or after it: the same flag.
void AddQuietFlag(CLI::App& command, CommandOptions& options,
                  const char* help = TrMark("Print nothing when done")) {
  command.add_flag("-q,--quiet", options.quiet, Tr(help));
}

// The flags every command that writes takes.
void AddRunFlags(CLI::App& command, CommandOptions& options) {
  command.add_flag("--dry-run", options.dryRun,
                   Tr("Make every check of the run and say what it would write; write nothing"));
  command.add_flag("--no-clobber", options.noClobber,
                   Tr("Refuse an --output FILE that exists, before anything is written"));
  AddQuietFlag(command, options);
}

// The image and the transcript a patch or a verify works on, and the start address.
void AddSourceAndTranscript(CLI::App& command, CommandOptions& options,
                            const char* transcriptHelp) {
  AddSource(command, options);
  command.add_option("--transcript", options.transcript, Tr(transcriptHelp))
      ->required()
      ->check(kInputPath)
      ->type_name(Tr("FILE"));
  AddModelAndStart(command, options);
}

void AddPatchOptions(CLI::App& patch, CommandOptions& options) {
  AddSourceAndTranscript(patch, options, TrMark("Language block to write"));
  patch
      .add_option("--replace", options.replace,
                  Tr("Write where this block's bytes stand in the image (exactly, once), instead "
                     "of at --model or --start"))
      ->check(kInputPath)
      ->type_name(Tr("FILE"));
  patch
      .add_option("--min-agree", options.minAgree,
                  Tr("With --replace, where the block stands nowhere exactly: write at the one "
                     "place where at least this percentage of it agrees"))
      ->check(CLI::Range(0.1, 100.0))
      // TRANSLATORS: a placeholder in the help, in capitals as coreutils' catalogs write
      // them (DATEI, FICHIER, ФАЙЛ; ADRESSE, АДРЕС for HEX).
      ->type_name(Tr("PCT"));
  patch.add_option("--output", options.output, Tr("Write a patched copy here"))
      ->check(kOutputPath)
      ->type_name(Tr("FILE"));
  patch.add_flag("--in-place", options.inPlace, Tr("Change the image itself"));
  patch.add_flag("--backup", options.backup,
                 Tr("With --in-place: keep the image as it was as IMAGE.bak (or .bak.1, ...)"));
  patch.add_flag("--allow-overrun", options.allowOverrun,
                 Tr("Allow a transcript longer than the model's language block"));
  AddRunFlags(patch, options);
}

void AddCutOptions(CLI::App& cut, CommandOptions& options) {
  AddSourceAndRange(cut, options);
  cut.add_option("--output", options.output, Tr("File to write the range to"))
      ->required()
      ->check(kOutputPath)
      ->type_name(Tr("FILE"));
  AddRunFlags(cut, options);
}

void AddVerifyOptions(CLI::App& verify, CommandOptions& options) {
  AddSourceAndTranscript(verify, options, TrMark("Language block to look for"));
  AddQuietFlag(verify, options, TrMark("Print nothing; the exit code says it"));
}

void AddShowOptions(CLI::App& show, CommandOptions& options) {
  AddSourceAndRange(show, options);
  show.add_flag("--crc", options.crcOnly, Tr("Print only the range's CRC-32"));
}

void AddLocateOptions(CLI::App& locate, CommandOptions& options) {
  AddSource(locate, options);
  locate.add_option("--transcript", options.transcript, Tr("Block to look for"))
      ->required()
      ->check(kInputPath)
      ->type_name(Tr("FILE"));
  locate.add_flag("--all", options.all,
                  Tr("Every place that counts, not the best three: every exact occurrence, "
                     "overlapping ones too, or where there is none, every place that agrees "
                     "clearly beyond chance"));
  AddModelTables(locate, options);
  locate.add_flag("--detail", options.detail,
                  Tr("Under each place, the ranges of the block that differ there"));
  AddQuietFlag(locate, options, TrMark("Print nothing; the exit code says it"));
}

void AddCompareOptions(CLI::App& compare, CommandOptions& options) {
  AddSource(compare, options);
  compare.add_option("--with", options.with, Tr("Image to compare with"))
      ->required()
      ->check(kInputPath)
      ->type_name(Tr("FILE"));
  AddModelAndStart(compare, options);
  AddEnd(compare, options);
  AddQuietFlag(compare, options, TrMark("Print nothing; the exit code says it"));
}

void AddModelsOptions(CLI::App& models, CommandOptions& options) {
  AddModelTables(models, options);
}

// The version a table change names, and the table (the user's own when none is given).
void AddNameAndTable(CLI::App& command, CommandOptions& options) {
  AddModelTables(command, options);
  command.add_option("--name", options.name, Tr("The version's name"))
      ->required()
      ->check(kModelName)
      ->type_name(Tr("NAME"));
  command.add_option("--table", options.table, Tr("Change this table, not your own"))
      ->check(kOutputPath)
      ->type_name(Tr("FILE"));
  AddQuietFlag(command, options);
}

void AddModelsAddOptions(CLI::App& add, CommandOptions& options) {
  AddNameAndTable(add, options);
  add.add_option("--start", options.start, Tr("Start address of its language block"))
      ->required()
      ->check(kAddress)
      ->type_name(Tr("HEX"));
  add.add_option("--end", options.end, Tr("End address of its language block (inclusive)"))
      ->required()
      ->check(kAddress)
      ->type_name(Tr("HEX"));
  add.add_option("--source", options.source,
                 Tr("An image of that version: its fingerprint is kept, so that images of "
                    "other versions are refused"))
      ->check(kInputPath)
      ->type_name(Tr("FILE"));
  // TRANSLATORS: a placeholder in the help, in capitals as coreutils' catalogs write
  // them (DATEI, FICHIER, ФАЙЛ; ADRESSE, АДРЕС for HEX).
  add.add_option("--note", options.note, Tr("A note kept with it"))->type_name(Tr("TEXT"));
}

void AddIdentifyOptions(CLI::App& identify, CommandOptions& options) {
  AddModelTables(identify, options);
  AddSource(identify, options);
  AddQuietFlag(identify, options, TrMark("Print nothing; the exit code says it"));
}

int RunModelsCommand(const CommandOptions&, std::ostream& out, std::ostream&) {
  zarneth::cli::PrintModels(out);
  return zarneth::cli::kExitDone;
}

// What a command's exit code says, and so what it becomes when its standard output cannot
// be written.
enum class Says {
  WhatTheFilesHold,  // patch, cut: the code stays, whatever became of the report
  AnAnswer,          // verify, identify, locate, compare: the answer was not given, trouble
  ThatItPrinted,     // show, models, a table's change: done becomes failed
};

// The commands, in the order --help lists them: one row each, which the parser, the help and
// the exit code on a lost output read: its options, what runs it, what its help says below
// the options (its exit codes among them). The completion's and the manual page's tests
// read the rows back through --help.
struct Command {
  const char* name;
  const char* description;
  void (*addOptions)(CLI::App&, CommandOptions&);
  int (*run)(const CommandOptions&, std::ostream&, std::ostream&);
  zarneth::cli::Footer footer;
  Says says;
};
constexpr const char* kBlockInside = TrMark("The block must lie inside the image.");
constexpr const char* kRangeInside =
    TrMark("The range, its end inclusive, must lie inside the image.");
constexpr const char* kExitCodes = TrMark("Exit codes:");
const Command kCommands[] = {
    {zarneth::cli::kPatchCommand,
     TrMark("Write a transcript into an image"),
     AddPatchOptions,
     zarneth::cli::RunPatchCommand,
     {kBlockInside, zarneth::cli::kExitCodeMeanings, kExitCodes, true},
     Says::WhatTheFilesHold},
    {zarneth::cli::kCutCommand,
     TrMark("Copy an address range of an image into a file"),
     AddCutOptions,
     zarneth::cli::RunCutCommand,
     {kRangeInside, zarneth::cli::kExitCodeMeanings, kExitCodes, true},
     Says::WhatTheFilesHold},
    {zarneth::cli::kVerifyCommand,
     TrMark("Check that an image holds a transcript; reads only"),
     AddVerifyOptions,
     zarneth::cli::RunVerifyCommand,
     {kBlockInside, zarneth::cli::kVerifyCodeMeanings, TrMark("verify exits"), true},
     Says::AnAnswer},
    {zarneth::cli::kShowCommand,
     TrMark("Dump an address range of an image in hex; reads only"),
     AddShowOptions,
     zarneth::cli::RunShowCommand,
     {kRangeInside, zarneth::cli::kShowCodeMeanings, kExitCodes, true},
     Says::ThatItPrinted},
    {zarneth::cli::kModelsCommand,
     TrMark("List the firmware versions and their addresses; 'models add NAME --start HEX --end "
            "HEX [--source IMAGE]' keeps one in your table, 'models remove NAME' takes it out"),
     AddModelsOptions,
     RunModelsCommand,
     {nullptr, zarneth::cli::kModelsCodeMeanings, kExitCodes, false},
     Says::ThatItPrinted},
    {zarneth::cli::kIdentifyCommand,
     TrMark("Tell which version an image is, by the fingerprints of the tables; reads only"),
     AddIdentifyOptions,
     zarneth::cli::RunIdentifyCommand,
     {nullptr, zarneth::cli::kIdentifyCodeMeanings, TrMark("identify exits"), true},
     Says::AnAnswer},
    {zarneth::cli::kModelsAddCommand,
     TrMark("Keep a version in a model table: models add NAME --start HEX --end HEX"),
     AddModelsAddOptions,
     zarneth::cli::RunModelsAddCommand,
     {nullptr, zarneth::cli::kTableCodeMeanings, kExitCodes, true},
     Says::ThatItPrinted},
    {zarneth::cli::kModelsRemoveCommand,
     TrMark("Take a version out of a model table: models remove NAME"),
     AddNameAndTable,
     zarneth::cli::RunModelsRemoveCommand,
     {nullptr, zarneth::cli::kTableCodeMeanings, kExitCodes, true},
     Says::ThatItPrinted},
    {zarneth::cli::kLocateCommand,
     TrMark("Find where a block's bytes stand in an image; reads only"),
     AddLocateOptions,
     zarneth::cli::RunLocateCommand,
     {TrMark("Where the block stands nowhere exactly, a place counts when clearly more of it "
             "agrees than it agrees with this image elsewhere, at places aligned as this one "
             "is: at least a quarter of the way from that share to all of it. A block with one "
             "byte in eight changed is still found; one split by inserted bytes is found in "
             "pieces, each with the part of the block it holds (the block column)."),
      zarneth::cli::kLocateCodeMeanings, TrMark("locate exits"), true},
     Says::AnAnswer},
    {zarneth::cli::kCompareCommand,
     TrMark("List the address ranges where two images differ; reads only"),
     AddCompareOptions,
     zarneth::cli::RunCompareCommand,
     {TrMark("The range, its end inclusive, must lie inside the longer image; without one, the "
             "whole images are compared."),
      zarneth::cli::kCompareCodeMeanings, TrMark("compare exits"), true},
     Says::AnAnswer},
};

const std::string kVersionText =
    std::string("zarneth-cli (Zarneth) ") + zarneth::version::kVersion + "\n" +
    zarneth::version::kLegalCopyright + "\n" + zarneth::version::kLicenceLine;

// The tool's options and its commands, whose own options are added once one is named: the
// others are never read in this run, and building them is most of the tool's start-up.
void BuildApp(CLI::App& app, CommandOptions& options) {
  // The groups the help lists options and commands under, in the user's words; options
  // and commands take them when they are made.
  app.option_defaults()->group(Tr("Options"));
  app.set_help_flag("-h,--help", Tr("Print this help message and exit"));
  app.set_version_flag("--version", kVersionText,
                       Tr("Display program version information and exit"));
  app.require_subcommand(1);
  const std::size_t columns = zarneth::cli::HelpColumns();
  app.formatter(zarneth::cli::WrappingFormatter(columns));
  app.footer(zarneth::cli::HelpFooter(zarneth::cli::kToolFooter, columns));
  AddQuietFlag(app, options);
  AddModelTables(app, options);
  for (const Command& command : kCommands) {
    CLI::App* sub = app.add_subcommand(command.name, Tr(command.description));
    // "models add" and "models remove" are listed as what the user types, under models.
    const bool underModels = std::string_view(command.name).starts_with("models-");
    sub->group(underModels ? std::string() : Tr("Subcommands"));
    sub->set_help_flag("-h,--help", Tr("Print this help message and exit"));
    // Each command's help tells its own addresses and exit codes, not the tool's.
    sub->footer(zarneth::cli::HelpFooter(command.footer, columns));
  }
}

const Command& CommandNamed(const std::string& name) {
  return *std::find_if(std::begin(kCommands), std::end(kCommands),
                       [&](const Command& command) { return name == command.name; });
}

// The exit code a command ends with when its standard output could not be written: a code
// that says the output was given becomes a failure (verify's trouble); a patch or a cut that
// put its file in place keeps its code, which says what the files hold.
std::optional<int> CodeOnOutputFailure(const Command* ran, const CommandOptions& options,
                                       int code) {
  using namespace zarneth::cli;
  const Says says = ran ? ran->says : Says::ThatItPrinted;
  const bool writes = says == Says::WhatTheFilesHold && !options.dryRun;
  if (writes && (code == kExitDone || code == kExitUnconfirmed))
    return std::nullopt;
  if (says == Says::AnAnswer && (code == kAnswerYes || code == kAnswerNo))
    return int{kAnswerTrouble};
  return code == kExitDone ? std::optional<int>(kExitFailed) : std::nullopt;
}

// The command line's run; `ran` is the command that ran, none when none did (help, version,
// a usage error).
int Main(std::vector<std::string> arguments, CommandOptions& options, const Command*& ran) {
  // "zarneth-cli help" is a request for the help, as in other tools with commands; so is
  // "/?", as Windows users ask a program, before or right after the command.
  if (arguments.size() == 1 && arguments[0] == "help")
    arguments[0] = "--help";
  // "models add NAME ..." and "models remove NAME": commands of their own, the name an option.
  if (arguments.size() >= 2 && arguments[0] == "models" &&
      (arguments[1] == "add" || arguments[1] == "remove")) {
    const bool named = arguments.size() >= 3 && !arguments[2].starts_with('-');
    std::vector<std::string> rewritten{arguments[1] == "add" ? "models-add" : "models-remove"};
    if (named)
      rewritten.insert(rewritten.end(), {"--name", arguments[2]});
    rewritten.insert(rewritten.end(), arguments.begin() + (named ? 3 : 2), arguments.end());
    arguments = std::move(rewritten);
  }
  // "zarneth-cli help locate", as git's users ask for a command's help.
  if (arguments.size() == 2 && arguments[0] == "help" && !arguments[1].starts_with('-'))
    arguments = {arguments[1], "--help"};
  const bool commandFirst = !arguments.empty() && !arguments[0].starts_with('-');
  for (std::size_t i = 0; i < arguments.size() && i < 2; ++i)
    if (arguments[i] == "/?" && (i == 0 || commandFirst))
      arguments[i] = "--help";

  // The tables first: a model of theirs may be named among the options. Help and version
  // answer whatever they hold.
  const std::optional<std::string> tableRefused = zarneth::cli::UseModelTables(arguments);

  CLI::App app{Tr("Zarneth: writes a language block (transcript) into an Alcatel BE4 V4.0 firmware "
                  "image, or cuts an address range out of an image into a file of its own."),
               "zarneth-cli"};
  BuildApp(app, options);
  const zarneth::cli::CommandLine line =
      zarneth::cli::ReadCommandLine(app, arguments, [&](CLI::App& command) {
        if (const auto add = CommandNamed(command.get_name()).addOptions)
          add(command, options);
      });
  if (tableRefused && line.asks == zarneth::cli::CommandLine::Asks::Run) {
    std::cerr << "zarneth-cli: " << *tableRefused << '\n';
    return zarneth::cli::kExitUsage;
  }
  // A usage error points to the named command's own help, where its options are listed.
  if (line.mistake)
    return zarneth::cli::UsageError(std::cerr, *line.mistake, line.command);
  switch (line.asks) {
    case zarneth::cli::CommandLine::Asks::Help:
      std::cout << (line.command.empty() ? app.help()
                                         : app.get_subcommand(line.command)->help(app.get_name()));
      return zarneth::cli::kExitDone;
    case zarneth::cli::CommandLine::Asks::Version:
      std::cout << kVersionText << '\n';
      return zarneth::cli::kExitDone;
    case zarneth::cli::CommandLine::Asks::Run:
      break;
  }
  ran = &CommandNamed(line.command);
  return ran->run(options, std::cout, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
  zarneth::UseUserLanguage();
  zarneth::cli::StopOnInterrupts();
  zarneth::cli::PrepareConsole();
  zarneth::cli::WatchStandardOutput();
  std::vector<std::string> arguments = zarneth::cli::Utf8Arguments(argc, argv);
  arguments.erase(arguments.begin());
  CommandOptions options;
  const Command* ran = nullptr;
  const int code = Main(std::move(arguments), options, ran);
  return zarneth::cli::WithOutputChecked(code, CodeOnOutputFailure(ran, options, code));
}

// Runs the built zarneth-cli as a script would and checks exit codes, output lines and files.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "address_cases.h"
#include "cli_runner.h"
#include "platform_files.h"
#include "quoted_name.h"
#include "run_fixture.h"
#include "scoped_environment.h"
#include "temp_dir.h"

namespace {

using zarneth::QuotedName;
using zarneth::test::Bytes;
using zarneth::test::CliRun;
using zarneth::test::CommandLineCarries;
using zarneth::test::Concat;
using zarneth::test::CrcOf;
using zarneth::test::FolderListing;
using zarneth::test::ListFolder;
using zarneth::test::MakeSymlink;
using zarneth::test::MissingFileText;
using zarneth::test::Pattern;
using zarneth::test::ReadBytes;
using zarneth::test::RunCli;
using zarneth::test::Slice;
using zarneth::test::TempDir;
using zarneth::test::WriteBytes;

// The engine tests' folder of an image, a transcript and a destination, with a 2 MiB image
// and a V135-sized transcript.
class CliTest : public zarneth::test::RunFixture {
 protected:
  const std::string& output = destination;

  void SetUp() override { Files(0x200000, 75776); }

  CliRun Run(std::initializer_list<std::string> args) const { return RunCli(args, dir); }
  TempDir logs;  // the runner's files, for runs that must leave the folder as it was
};

TEST_F(CliTest, HelpVersionAndModels) {
  const CliRun help = Run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("Exit codes: 0 done, 1 failed"), std::string::npos);

  const CliRun version = Run({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.substr(0, version.out.find('\n')), "zarneth-cli (Zarneth) 1.0.0.1");
  EXPECT_NE(version.out.find("\nCopyright (C) 2026 the Zarneth developers\nLicense MIT"),
            std::string::npos)
      << version.out;
  std::istringstream versionLines(version.out);
  for (std::string line; std::getline(versionLines, line);)
    EXPECT_LE(line.size(), 80u) << line;

  const CliRun models = Run({"models"});
  EXPECT_EQ(models.exitCode, 0);
  EXPECT_EQ(models.out,
            "model  start   end     bytes  from\n"
            "V135   1CD800  1DFFFF  75776  built-in\n"
            "V136   1CD800  1DFFFF  75776  built-in\n"
            "V137   1C9800  1DBFFF  75776  built-in\n"
            "V138   1C7800  1DD443  89156  built-in\n");
}

// The user's language (LANGUAGE, as every gettext program takes it) says the reasons, the
// done lines and the help; file names, addresses, numbers and CRCs stay as they are, and a
// language with no catalog leaves the English.
TEST_F(CliTest, EachLanguageSaysItsOwnWords) {
  struct Row {
    const char* language;
    std::vector<std::string> args;
    int exitCode;
    std::string said;  // on stdout or stderr
  };
  const std::string missing = dir / "missing.bin";
  const std::vector<std::string> patchMissing = {"patch",        "--source", missing,
                                                 "--transcript", transcript, "--model",
                                                 "V135",         "--output", output};
  const Row rows[] = {
      {"de", patchMissing, 1,
       "Quelldatei " + QuotedName(missing) + " kann nicht zum Lesen geöffnet werden"},
      {"ru", {"--help"}, 0, "Коды возврата: 0 готово, 1 не выполнено"},
      {"ru",
       {"frobnicate"},
       2,
       "неизвестная команда 'frobnicate'\nПодробнее: 'zarneth-cli --help'."},
      {"fr",
       {"cut", "--source", image, "--start", "0", "--end", "FF", "--output", output},
       0,
       "256 octets (0x0 à 0xFF) découpés de"},
      {"de_AT",
       {"show", "--source", image, "--start", "0", "--end", "0", "--crc", "-x"},
       2,
       "unbekannte Option '-x'"},
      {"xx", patchMissing, 1, "cannot open source file"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.language);
    // gettext takes LANGUAGE only outside the plain C locale; C.UTF-8 is built into glibc.
    const zarneth::test::ScopedEnvironment locale("LC_ALL", "C.UTF-8");
    const zarneth::test::ScopedEnvironment language("LANGUAGE", row.language);
    const CliRun run = RunCli(row.args, dir);
    EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
    EXPECT_NE((run.out + run.err).find(row.said), std::string::npos) << run.out << run.err;
    std::filesystem::remove(output);
    if (row.args.front() != "--help")
      continue;
    // Help fills the 80 columns of a terminal by letters, not bytes: a Cyrillic letter is
    // two bytes and one column.
    std::size_t widest = 0;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);)
      widest = std::max<std::size_t>(widest, std::count_if(line.begin(), line.end(), [](char c) {
                                       return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
                                     }));
    EXPECT_LE(widest, 80u) << run.out;
    EXPECT_GT(widest, 70u) << run.out;
  }
}

TEST_F(CliTest, PatchIntoANewFileWithAModel) {
  const CliRun run = Run({"patch", "--source", image, "--transcript", transcript, "--model", "v135",
                          "--output", output});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "wrote " + QuotedName(output) + " (2097152 bytes): " + QuotedName(image) +
                         " with " + QuotedName(transcript) + " at 0x1CD800, CRC-32 " +
                         CrcOf(transcriptBytes) + "\n");
  EXPECT_EQ(ReadBytes(output), Concat({Slice(imageBytes, 0, 0x1CD800), transcriptBytes,
                                       Slice(imageBytes, 0x1E0000, 0x20000)}));
  EXPECT_EQ(ReadBytes(image), imageBytes);
}

// Names are UTF-8 on the command line and in what the tool prints, whatever the system's own
// code page (Windows reads the wide command line).
TEST_F(CliTest, FileNamesInAnyScriptArriveWhole) {
  const std::string source = dir / "образ Ü.bin";
  const std::string copy = dir / "コピー ß.bin";
  WriteBytes(source, imageBytes);
  const CliRun run = Run({"patch", "--source", source, "--transcript", transcript, "--model",
                          "V135", "--output", copy});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "wrote " + QuotedName(copy) + " (2097152 bytes): " + QuotedName(source) +
                         " with " + QuotedName(transcript) + " at 0x1CD800, CRC-32 " +
                         CrcOf(transcriptBytes) + "\n");
  EXPECT_EQ(ReadBytes(copy), Concat({Slice(imageBytes, 0, 0x1CD800), transcriptBytes,
                                     Slice(imageBytes, 0x1E0000, 0x20000)}));
}

TEST_F(CliTest, PatchInPlaceQuietly) {
  const CliRun run = Run({"patch", "--source", image, "--transcript", transcript, "--start",
                          "0X1c9800", "--in-place", "--quiet"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out + run.err, "");
  EXPECT_EQ(ReadBytes(image), Concat({Slice(imageBytes, 0, 0x1C9800), transcriptBytes,
                                      Slice(imageBytes, 0x1DC000, 0x24000)}));
}

TEST_F(CliTest, CutTheWholeV138Range) {
  const CliRun run = Run({"cut", "--source", image, "--model", "V138", "--output", output});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "cut 89156 bytes (0x1C7800 to 0x1DD443) of " + QuotedName(image) + " into " +
                         QuotedName(output) + ", CRC-32 " +
                         CrcOf(Slice(imageBytes, 0x1C7800, 89156)) + "\n");
  EXPECT_EQ(ReadBytes(output), Slice(imageBytes, 0x1C7800, 89156));
}

TEST_F(CliTest, AnExplicitAddressOverridesHalfOfTheModel) {
  const CliRun run =
      Run({"cut", "--source", image, "--model", "V138", "--start", "1DD440", "--output", output});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadBytes(output), Slice(imageBytes, 0x1DD440, 4));
}

TEST_F(CliTest, AddressesFollowTheEnginesOneRule) {
  for (const auto& c : zarneth::test::AddressCases()) {
    if (!CommandLineCarries(c.text))
      continue;  // a NUL byte, or not UTF-8 on Windows
    const CliRun run = Run({"cut", "--source", image, "--start", c.text, "--end", c.text,
                            "--output", output, "--quiet"});
    if (!c.value) {
      EXPECT_EQ(run.exitCode, 2) << c.name;
      // An empty value, or one that looks like an option, is named as such.
      const std::string said = c.text.empty()            ? "was given an empty value"
                               : c.text.starts_with('-') ? "needs a value, not the option"
                                                         : "'" + c.text + "' is not an address";
      EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
    } else if (*c.value < imageBytes.size()) {
      ASSERT_EQ(run.exitCode, 0) << c.name << ": " << run.err;
      EXPECT_EQ(ReadBytes(output), Slice(imageBytes, *c.value, 1)) << c.name;
    } else {
      EXPECT_EQ(run.exitCode, 1) << c.name;
      EXPECT_NE(run.err.find("runs past the end of source file"), std::string::npos) << run.err;
    }
  }
  EXPECT_EQ(ReadBytes(image), imageBytes);
}

TEST_F(CliTest, UsageErrorsNameTheMistakeAndOpenNothing) {
  struct Case {
    std::initializer_list<std::string> args;
    const char* said;
  };
  const Case cases[] = {
      {{}, "no command given"},
      {{"frobnicate"}, "unknown command 'frobnicate'"},
      {{"--versio"}, "unrecognized option '--versio'"},
      {{"cut", "--source", image, "--model", "V135", "--out", output},
       "unrecognized option '--out'"},
      {{"cut", "--source", image, "--model", "V135", "-o", output}, "unrecognized option '-o'"},
      {{"patch", "--source", image, "--transcript", transcript, "--model", "V135", "--model",
        "V136", "--in-place"},
       "option '--model' was given twice"},
      {{"patch", "--source", image, "--transcript", transcript, "--start=", "--output", output},
       "option '--start' was given an empty value"},
      {{"patch", "--source", image, "--transcript", transcript, "--start", "--output", output},
       "option '--start' needs a value, not the option '--output'"},
      {{"patch", "--source", image, "--transcript", transcript, "--start", "0", "--in-place=1"},
       "option '--in-place' takes no value"},
      {{"patch", "--source", image, "--transcript", transcript, "--start", "0", "--output", "-"},
       "option '--output': '-' names no file"},
      {{"cut", "--source", "-", "--model", "V135", "--output", output},
       "option '--source': '-' names no file"},
      {{"patch", "--source", image, "--transcript", transcript, "--start", "0"},
       "give exactly one of --output FILE or --in-place"},
      {{"patch", "--source", image, "--transcript", transcript, "--start", "0", "--in-place",
        "--output", output},
       "give exactly one of --output FILE or --in-place"},
      {{"patch", "--source", image, "--transcript", transcript, "--output", output},
       "give --start HEX, --model NAME or --replace FILE"},
      {{"patch", "--source", image, "--transcript", transcript, "--model", "V139", "--in-place"},
       "'V139' is not a model"},
      {{"cut", "--source", image, "--start", "0", "--output", output}, "or both --start HEX and"},
      {{"cut", "--source", image, "--model", "V135"}, "option '--output' is required"},
      {{"patch", "--source", image, "--transcript", "", "--start", "0", "--in-place"},
       "was given an empty value"},
      {{"show", "--source", "-", "--model", "V135"},
       "'-' names no file: give a file's name (a run reads a file at its addresses"},
      {{"--version", "extra"}, "option '--version' takes no other argument"},
      {{"-q", "show", "--source", image, "--model", "V135"}, "option '-q' has no meaning for show"},
      {{"-q", "models"}, "option '-q' has no meaning for models"},
      {{"--crc", "show", "--source", image, "--model", "V135"}, "unrecognized option '--crc'"},
      {{"-q", "-q", "cut", "--source", image, "--model", "V135", "--output", output},
       "option '-q' was given twice"},
  };
  for (const Case& c : cases) {
    const CliRun run = Run(c.args);
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_TRUE(run.err.starts_with("zarneth-cli: ")) << run.err;
    EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    // The help of the command named, which lists its options; the tool's with none.
    const auto word = std::find_if(c.args.begin(), c.args.end(),
                                   [](const std::string& w) { return !w.starts_with('-'); });
    const std::string named = word == c.args.end() ? "" : *word;
    const bool command = !named.empty() && named != "frobnicate" && named != "extra";
    const std::string help = command ? "zarneth-cli " + named + " --help" : "zarneth-cli --help";
    EXPECT_NE(run.err.find("\nTry '" + help + "' for more information.\n"), std::string::npos)
        << run.err;
  }
  EXPECT_EQ(ReadBytes(image), imageBytes);
  EXPECT_FALSE(std::filesystem::exists(output));
  EXPECT_FALSE(std::filesystem::exists(dir / "-"));
  // -q before the command, and "help" as a command, are taken; "/?", as Windows users ask,
  // before or after the command but not as an option's value.
  EXPECT_EQ(Run({"-q", "cut", "--source", image, "--model", "V135", "--output", output}).out, "");
  std::filesystem::remove(output);
  const CliRun quietTwice =
      Run({"-q", "cut", "--source", image, "--model", "V135", "--output", output, "-q"});
  EXPECT_EQ(quietTwice.exitCode, 0) << quietTwice.err;
  EXPECT_EQ(quietTwice.out, "");
  EXPECT_NE(Run({"help"}).out.find("Usage: zarneth-cli"), std::string::npos);
  EXPECT_NE(Run({"help", "locate"}).out.find("Usage: zarneth-cli locate"), std::string::npos);
  // Help and version together answer with the help, in either order.
  EXPECT_EQ(Run({"--version", "--help"}).out, Run({"--help", "--version"}).out);
  EXPECT_NE(Run({"--version", "--help"}).out.find("Usage: zarneth-cli"), std::string::npos);
  EXPECT_NE(Run({"/?"}).out.find("Usage: zarneth-cli [OPTIONS]"), std::string::npos);
  EXPECT_NE(Run({"cut", "/?"}).out.find("Usage: zarneth-cli cut"), std::string::npos);
  EXPECT_EQ(Run({"cut", "--output", "/?"}).exitCode, 2);
  // Help is answered whatever follows it.
  const CliRun help = Run({"patch", "--help", "--source"});
  EXPECT_EQ(help.exitCode, 0) << help.err;
  EXPECT_NE(help.out.find("Usage: zarneth-cli patch"), std::string::npos) << help.out;
}

// Each command's help tells the addresses and the exit codes of that command alone, in
// lines that fit an 80-column terminal (the output here is no terminal).
TEST_F(CliTest, EachCommandsHelpTellsItsOwnCodes) {
  struct Case {
    std::initializer_list<std::string> args;
    std::vector<std::string> said;
    std::vector<std::string> notSaid;
  };
  const std::string addresses = "Addresses: give 1 to 8 hex digits, optionally after 0x.";
  const Case cases[] = {
      {{"--help"}, {addresses, "Exit codes: 0 done, 1 failed", "3 file error", "4 done, but"}, {}},
      {{"patch", "--help"},
       {addresses, "3 file error", "4 done, but", "when stopped by"},
       {"verify exits"}},
      {{"cut", "--help"}, {"its end", "inclusive", "4 done, but"}, {"verify exits"}},
      {{"verify", "--help"},
       {addresses, "verify exits 0 when the image holds the transcript, 1 when it differs, 2"},
       {"Exit codes:", "3 file error", "4 done"}},
      {{"show", "--help"}, {addresses, "3 read error during the run"}, {"4 done", "verify"}},
      {{"models", "--help"},
       {"Exit codes: 0 done, 1 the list could not be written, 2 usage"},
       {"Addresses", "3 ", "when stopped by", "verify"}},
  };
  for (const Case& c : cases) {
    const CliRun run = Run(c.args);
    const std::string what = *c.args.begin();
    EXPECT_EQ(run.exitCode, 0) << what;
    for (const std::string& text : c.said)
      EXPECT_NE(run.out.find(text), std::string::npos) << what << ": " << text << "\n" << run.out;
    const std::string footer = run.out.substr(run.out.find("\n\n", run.out.find("Options:")));
    for (const std::string& text : c.notSaid)
      EXPECT_EQ(footer.find(text), std::string::npos) << what << ": " << text << "\n" << run.out;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);)
      EXPECT_LE(line.size(), 80u) << what << ": " << line;
  }
}

// Output that cannot be written is an error, as the coreutils say it; a run that has put
// its file in place keeps its code, one that only read says it failed.
TEST_F(CliTest, OutputThatCannotBeWrittenIsAnError) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    bool writesOutput;  // the file named --output is there afterwards
  };
  const Case cases[] = {
      {"help", {"--help"}, 1, false},
      {"a command's help", {"patch", "--help"}, 1, false},
      {"version", {"--version"}, 1, false},
      {"models", {"models"}, 1, false},
      {"show", {"show", "--source", image, "--model", "V135"}, 1, false},
      {"verify",
       {"verify", "--source", image, "--transcript", transcript, "--model", "V135"},
       2,
       false},
      {"compare, an answer too", {"compare", "--source", image, "--with", transcript}, 2, false},
      {"a dry run",
       {"cut", "--source", image, "--model", "V135", "--output", output, "--dry-run"},
       1,
       false},
      {"a cut put in place",
       {"cut", "--source", image, "--model", "V135", "--output", output},
       0,
       true},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(output);
    const auto run = zarneth::test::RunCliIntoFullDevice(c.args, logs);
    if (!run)
      GTEST_SKIP() << "this system has no device that refuses every write";
    EXPECT_EQ(run->exitCode, c.exitCode) << c.name << ": " << run->err;
    EXPECT_NE(run->err.find("zarneth-cli: write error: No space left on device\n"),
              std::string::npos)
        << c.name << ": " << run->err;
    EXPECT_EQ(std::filesystem::exists(output), c.writesOutput) << c.name;
  }
  EXPECT_EQ(ReadBytes(output), Slice(imageBytes, 0x1CD800, 75776));
  EXPECT_EQ(ReadBytes(image), imageBytes);
}

TEST_F(CliTest, TheModelsBlockBoundsOnlyTheModelsOwnStart) {
  WriteBytes(transcript, Pattern(75777, 2));
  const CliRun refused = Run(
      {"patch", "--source", image, "--transcript", transcript, "--model", "V135", "--in-place"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("(75777 bytes) is longer than the language block of V135 (75776 "
                             "bytes): 1 byte after the block, up to 0x1E0000, would be "
                             "overwritten; give --allow-overrun"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(ReadBytes(image), imageBytes);
  // The model's own start, typed: the same rule.
  EXPECT_EQ(Run({"patch", "--source", image, "--transcript", transcript, "--model", "V135",
                 "--start", "0x1cd800", "--in-place"})
                .exitCode,
            1);

  const CliRun allowed = Run({"patch", "--source", image, "--transcript", transcript, "--model",
                              "V135", "--output", output, "--allow-overrun"});
  EXPECT_EQ(allowed.exitCode, 0) << allowed.err;
  // With --start the block may lie anywhere inside the image, and nowhere past its end.
  const CliRun ownStart = Run({"patch", "--source", image, "--transcript", transcript, "--model",
                               "V135", "--start", "1000", "--output", output});
  EXPECT_EQ(ownStart.exitCode, 0) << ownStart.err;
  const CliRun pastTheEnd = Run({"patch", "--source", image, "--transcript", transcript, "--model",
                                 "V135", "--start", "1FFFFF", "--output", output});
  EXPECT_EQ(pastTheEnd.exitCode, 1);
  EXPECT_NE(pastTheEnd.err.find("the transcript of 75777 bytes at 0x1FFFFF runs past the end"),
            std::string::npos)
      << pastTheEnd.err;
}

TEST_F(CliTest, AReaderThatWentAwayDoesNotFailAFinishedRun) {
  EXPECT_EQ(zarneth::test::RunCliIntoClosedPipe({"models"}), 0);
  EXPECT_EQ(zarneth::test::RunCliIntoClosedPipe(
                {"cut", "--source", image, "--model", "V135", "--output", output}),
            0);
  EXPECT_EQ(ReadBytes(output), Slice(imageBytes, 0x1CD800, 75776));
}

TEST_F(CliTest, FailuresSayWhyOnOneLineAndLeaveTheImage) {
  struct Case {
    std::initializer_list<std::string> args;
    const char* reason;
  };
  // Without links, the destination is the image by its own name: refused the same way.
  const std::string link = MakeSymlink(image, dir / "link.bin") ? dir / "link.bin" : image;
  const std::string missing = MissingFileText();
  const Case cases[] = {
      {{"patch", "--source", image, "--transcript", image, "--start", "0", "--in-place"},
       "are the same file"},
      {{"patch", "--source", image, "--transcript", transcript, "--start", "0", "--output", link},
       "are the same file"},
      {{"cut", "--source", image, "--start", "0", "--end", "F", "--output", image},
       "are the same file"},
      // A name cannot forge a line of its own.
      {{"cut", "--source", dir / "x\nzarneth-cli: failed: y", "--model", "V135", "--output",
        output},
       "x\\nzarneth-cli: failed: y'"},
      {{"cut", "--source", dir / "missing.bin", "--model", "V135", "--output", output},
       missing.c_str()},
      {{"patch", "--source", transcript, "--transcript", transcript, "--start", "0", "--output",
        output},
       "are the same file"},
      {{"patch", "--source", transcript, "--transcript", image, "--start", "0", "--in-place"},
       "runs past the end of source file"},
  };
  for (const Case& c : cases) {
    const CliRun run = Run(c.args);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(ReadBytes(image), imageBytes);
    EXPECT_EQ(ReadBytes(transcript), transcriptBytes);
    EXPECT_FALSE(std::filesystem::exists(output));
  }
}

// A dry run makes every check of the real run, refusing what it refuses in the same words,
// and on success says what it would write, writing nothing.
TEST_F(CliTest, ADryRunRefusesWhatTheRunRefusesAndWritesNothing) {
  WriteBytes(output, Pattern(10, 3));
  const std::vector<std::vector<std::string>> runs = {
      {"patch", "--source", image, "--transcript", transcript, "--model", "V135", "--output",
       output},
      {"patch", "--source", image, "--transcript", transcript, "--model", "V135", "--in-place"},
      {"cut", "--source", image, "--model", "V138", "--output", dir / "new.bin"},
      {"patch", "--source", image, "--transcript", image, "--start", "0", "--in-place"},
      {"cut", "--source", image, "--start", "1FFFFF", "--end", "200000", "--output", output},
      {"cut", "--source", image, "--model", "V135", "--output", image},
      {"cut", "--source", image, "--model", "V135", "--output", output, "--no-clobber"},
      {"patch", "--source", dir / "missing.bin", "--transcript", transcript, "--start", "0",
       "--in-place"},
  };
  const FolderListing before = ListFolder(dir.Path());
  for (std::vector<std::string> args : runs) {
    args.push_back("--dry-run");
    const CliRun dry = RunCli(args, logs);
    EXPECT_TRUE(ListFolder(dir.Path()) == before) << "a dry run changed the folder: " << args[0];
    args.pop_back();
    const CliRun real = RunCli(args, logs);
    EXPECT_EQ(dry.exitCode, real.exitCode) << dry.err << real.err;
    EXPECT_EQ(dry.err, real.err);
    if (real.exitCode == 0) {
      EXPECT_TRUE(dry.out.starts_with("would ")) << dry.out;
    }
    WriteBytes(image, imageBytes);
    WriteBytes(output, Pattern(10, 3));
    std::filesystem::remove(dir / "new.bin");
  }
  // --no-clobber writes a new name, and keeps an existing file.
  EXPECT_EQ(Run({"cut", "--source", image, "--model", "V135", "--output", dir / "new.bin",
                 "--no-clobber"})
                .exitCode,
            0);
  EXPECT_EQ(ReadBytes(dir / "new.bin"), Slice(imageBytes, 0x1CD800, 75776));
  EXPECT_EQ(ReadBytes(output), Pattern(10, 3));
}

// verify reads only: exit 0 when the image holds the transcript, 1 with where and how much
// it differs, refusals as for patch.
TEST_F(CliTest, VerifySaysWhetherTheImageHoldsTheBlock) {
  Bytes patched = Concat(
      {Slice(imageBytes, 0, 0x1CD800), transcriptBytes, Slice(imageBytes, 0x1E0000, 0x20000)});
  WriteBytes(image, patched);
  FolderListing before = ListFolder(dir.Path());
  const CliRun holds =
      RunCli({"verify", "--source", image, "--transcript", transcript, "--model", "v135"}, logs);
  EXPECT_EQ(holds.exitCode, 0) << holds.err;
  EXPECT_EQ(holds.out, QuotedName(image) + " at 0x1CD800 holds " + QuotedName(transcript) +
                           ": 75776 bytes, CRC-32 " + CrcOf(transcriptBytes) + "\n");
  patched[0x1CD810] ^= 0xFF;
  WriteBytes(image, patched);
  const CliRun differs =
      RunCli({"verify", "--source", image, "--transcript", transcript, "--start", "1CD800"}, logs);
  EXPECT_EQ(differs.exitCode, 1);
  EXPECT_NE(differs.out.find("differs from " + QuotedName(transcript) +
                             ": 1 of 75776 bytes, the first at 0x1CD810; CRC-32 " +
                             CrcOf(Slice(patched, 0x1CD800, 75776)) + " in the image, " +
                             CrcOf(transcriptBytes) + " in the transcript"),
            std::string::npos)
      << differs.out;
  EXPECT_EQ(
      RunCli({"verify", "-q", "--source", image, "--transcript", transcript, "--start", "1CD800"},
             logs)
          .out,
      "")
      << "with -q a mismatch prints nothing";
  // What cannot be compared is trouble (2), as for cmp, not a difference.
  const CliRun past =
      RunCli({"verify", "--source", image, "--transcript", transcript, "--start", "1FFFFF"}, logs);
  EXPECT_EQ(past.exitCode, 2);
  EXPECT_EQ(
      RunCli({"verify", "--source", image, "--transcript", dir / "missing.blk", "--start", "0"},
             logs)
          .exitCode,
      2);
  EXPECT_NE(past.err.find("runs past the end of source file"), std::string::npos) << past.err;
  EXPECT_EQ(ReadBytes(image), patched) << "verify never writes";
  before.erase("image.bin");
  FolderListing after = ListFolder(dir.Path());
  after.erase("image.bin");
  EXPECT_TRUE(after == before) << "verify leaves no file";
}

// show: the usual hex dump of the range, and its CRC-32 on the last line (or alone).
TEST_F(CliTest, ShowDumpsARangeWithItsChecksum) {
  const Bytes bytes = {'Z', 'A', 'R', 'N', 'E', 'T', 'H', 0,   1,    2,
                       'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 0x7F, 0xFF};
  WriteBytes(image, bytes);
  const CliRun dump = Run({"show", "--source", image, "--start", "0x2", "--end", "13"});
  EXPECT_EQ(dump.exitCode, 0) << dump.err;
  EXPECT_EQ(dump.out,
            "00000002  52 4e 45 54 48 00 01 02  61 62 63 64 65 66 67 68  |RNETH...abcdefgh|\n"
            "00000012  7f ff                                             |..|\n"
            "00000014\n"
            "CRC-32 " +
                CrcOf(Slice(bytes, 2, 18)) + " of 18 bytes from 0x2\n");
  // Equal lines in a row are one line and a "*", as hexdump -C writes them.
  const Bytes repeated = Concat({Bytes(40, 0), Bytes{'a', 'b', 'c'}, Bytes(32, 'x')});
  WriteBytes(dir / "repeated.bin", repeated);
  const CliRun folded =
      Run({"show", "--source", dir / "repeated.bin", "--start", "0", "--end", "4a"});
  EXPECT_EQ(folded.out.substr(0, folded.out.find("CRC-32")),
            "00000000  00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00  |................|\n"
            "*\n"
            "00000020  00 00 00 00 00 00 00 00  61 62 63 78 78 78 78 78  |........abcxxxxx|\n"
            "00000030  78 78 78 78 78 78 78 78  78 78 78 78 78 78 78 78  |xxxxxxxxxxxxxxxx|\n"
            "00000040  78 78 78 78 78 78 78 78  78 78 78                 |xxxxxxxxxxx|\n"
            "0000004b\n");
  const CliRun crc = Run({"show", "--source", image, "--start", "0", "--end", "0", "--crc"});
  EXPECT_EQ(crc.out, CrcOf(Slice(bytes, 0, 1)) + "\n");
  EXPECT_EQ(Run({"show", "--source", image, "--start", "0", "--end", "14"}).exitCode, 1);
  EXPECT_EQ(ReadBytes(image), bytes);
}

}  // namespace

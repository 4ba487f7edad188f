// The model tables on the command line: --models before or after the command, the user's own
// table, a bad table refused while --help still answers, models add and remove with their
// exit codes, identify, and a patch refused on an image of another version.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_runner.h"
#include "file_paths.h"
#include "quoted_name.h"
#include "scoped_environment.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace zarneth::test {
namespace {

class ModelCommandsTest : public testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    own.emplace("APPDATA", Utf8FromPath(dir.Path()));
#else
    own.emplace("XDG_CONFIG_HOME", dir.Path().string());
#endif
  }
  CliRun Run(const std::vector<std::string>& args) const {
    return RunCli(args, dir);
  }
  TempDir dir;
  std::optional<ScopedEnvironment> own;  // the user's table in the test's folder
  std::string image = dir / "v139.bin";
  std::string table = dir / "shared.toml";
};

TEST_F(ModelCommandsTest, TablesAreReadChangedAndTrusted) {
  WriteBytes(image, Pattern(0x200000, 5));
  struct Row {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    std::string said;  // in what it printed
  };
  const Row rows[] = {
      {"a version kept with its image's fingerprint",
       {"models", "add", "V139", "--start", "1C7A00", "--end", "1DD643", "--source", image,
        "--table", table},
       0,
       "added V139 (0x1C7A00 to 0x1DD643) to the model table"},
      {"the same name again",
       {"models", "add", "V139", "--start", "1", "--end", "2", "--table", table},
       1,
       "has a model V139 already"},
      {"listed, the table given after the command",
       {"models", "--models", table},
       0,
       "V139   1C7A00  1DD643  89156  " + table},
      {"the table given before the command", {"--models", table, "models"}, 0, "V139"},
      {"the user's own table",
       {"models", "add", "V140", "--start", "10", "--end", "1F"},
       0,
       "added V140"},
      {"listed from it", {"models"}, 0, "V140   000010  00001F  16     "},
      {"identified",
       {"--models", table, "identify", "--source", image},
       0,
       "V139   1C7A00  1DD643  stock    " + table},
      {"another image",
       {"--models", table, "identify", "--source", dir / "other.bin"},
       1,
       "'zarneth-cli locate' finds"},
      {"a patch on another version's image refused",
       {"--models", table, "patch", "--source", dir / "other.bin", "--transcript", dir / "t.bin",
        "--model", "V139", "--output", dir / "out.bin"},
       1,
       "is not an image of V139"},
      {"taken out", {"models", "remove", "V140"}, 0, "took V140 out"},
      {"not there", {"models", "remove", "V140"}, 1, "has no model V140"},
      {"a built-in version stays", {"models", "remove", "V135"}, 2, "V135 is built in"},
  };
  WriteBytes(dir / "other.bin", Pattern(0x200000, 6));
  WriteBytes(dir / "t.bin", Pattern(0x100, 7));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const CliRun run = Run(row.args);
    EXPECT_EQ(run.exitCode, row.exitCode) << run.out << run.err;
    EXPECT_NE((run.out + run.err).find(row.said), std::string::npos) << run.out << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(dir / "out.bin")));
  // An answer that could not be printed is no answer: trouble, not "none of them".
  if (const auto lost =
          RunCliIntoFullDevice({"--models", table, "identify", "--source", image}, dir)) {
    EXPECT_EQ(lost->exitCode, 2) << lost->err;
  }

  // A bad table is refused by every command, while --help still answers.
  const std::string bad = dir / "bad.toml";
  WriteBytes(bad, Bytes{'[', '[', 'm'});
#ifndef _WIN32
  ::chmod(bad.c_str(), 0600);
#endif
  const CliRun refused = Run({"--models", bad, "models"});
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_NE(refused.err.find("cannot be read at line 1"), std::string::npos) << refused.err;
  EXPECT_EQ(Run({"--models", bad, "models", "--help"}).exitCode, 0);
  // The user's own table refused the same, and the version still told.
  WriteBytes(dir / "zarneth/models.toml", Bytes{'[', '[', 'm'});
#ifndef _WIN32
  ::chmod((dir / "zarneth/models.toml").c_str(), 0600);
#endif
  EXPECT_EQ(Run({"models"}).exitCode, 2);
  EXPECT_EQ(Run({"--version"}).exitCode, 0);
}

}  // namespace
}  // namespace zarneth::test

// Model tables: what a table may hold and every way it is refused, how tables merge, adding
// and taking out versions with every other line kept (at once too), and an image told by its
// fingerprint, refused for a model of another version.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>
#include <variant>

#include "model_presets.h"
#include "model_table.h"
#include "operations.h"
#include "temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace zarneth::test {
namespace {

void WriteText(const std::string& path, const std::string& text) {
  WriteBytes(path, Bytes(text.begin(), text.end()));
#ifndef _WIN32
  ::chmod(path.c_str(), 0600);
#endif
}

std::string TextOf(const std::string& path) {
  const Bytes bytes = ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

constexpr const char* kGood = R"(# the versions found so far
[[model]]
name = "V139"   # from V138
start = "1C7A00"
end = "1DD643"
note = "found with locate"

[[model]]
name = "v135"
start = "1cd800"
end = "1DFFFF"
size = 2097152
outside = "sha256:00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff"
stock = "crc32:1A2B3C4D"
)";

TEST(ModelTableTest, ATableIsReadOrRefusedInWords) {
  const TempDir dir;
  const std::string path = dir / "models.toml";
  WriteText(path, kGood);
  auto read = ReadModelTable(path);
  ASSERT_TRUE(std::holds_alternative<std::vector<ModelEntry>>(read)) << std::get<std::string>(read);
  const auto& models = std::get<std::vector<ModelEntry>>(read);
  ASSERT_EQ(models.size(), 2u);
  EXPECT_EQ(models[0].name, "V139");
  EXPECT_EQ(models[0].start, 0x1C7A00u);
  EXPECT_EQ(models[0].note, "found with locate");
  EXPECT_FALSE(models[0].fingerprint);
  ASSERT_TRUE(models[1].fingerprint);
  EXPECT_EQ(models[1].fingerprint->size, 2097152u);
  EXPECT_EQ(models[1].fingerprint->stock, 0x1A2B3C4Du);
  EXPECT_EQ(models[1].fingerprint->outside[31], 0xFF);
  EXPECT_EQ(models[1].from, path);

  const std::string entry = "[[model]]\nname = \"V140\"\nstart = \"10\"\nend = \"20\"\n";
  struct Row {
    const char* name;
    std::string text;
    const char* said;
  };
  const Row rows[] = {
      {"a typo in a key", "[[model]]\nname = \"V140\"\nstrat = \"10\"\nend = \"20\"\n",
       "line 3: unknown key 'strat'"},
      {"a key beside the models", entry + "[extra]\n", "unknown key 'extra'"},
      {"a bad name", "[[model]]\nname = \"V 140\"\nstart = \"10\"\nend = \"20\"\n",
       "line 1: a model's name is 1 to 32"},
      {"an end before the start", "[[model]]\nname = \"V140\"\nstart = \"20\"\nend = \"10\"\n",
       "line 1: model V140 ends at 0x10, before its start 0x20"},
      {"an address over 32 bits",
       "[[model]]\nname = \"V140\"\nstart = \"100000000\"\nend = \"1\"\n",
       "needs its start as a hex address"},
      {"an address as a number", "[[model]]\nname = \"V140\"\nstart = 16\nend = \"20\"\n",
       "needs its start as a hex address"},
      {"part of a fingerprint", entry + "size = 5\n", "gives part of a fingerprint"},
      {"a fingerprint that is none",
       entry + "size = 5\noutside = \"sha256:00\"\nstock = \"crc32:00000000\"\n",
       "has a fingerprint that is no fingerprint"},
      {"a name twice", entry + entry, "names V140 twice"},
      {"no TOML", "[[model]\nname = 1\n", "cannot be read at line 1, column"},
      {"text that is not UTF-8", "# \xC3\x28\n" + entry, "cannot be read at line 1"},
      {"over a mebibyte", entry + "# " + std::string(1 << 20, 'x') + "\n", "larger than 1 MiB"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteText(path, row.text);
    read = ReadModelTable(path);
    ASSERT_TRUE(std::holds_alternative<std::string>(read));
    EXPECT_NE(std::get<std::string>(read).find(row.said), std::string::npos)
        << std::get<std::string>(read);
    EXPECT_NE(std::get<std::string>(read).find("models.toml"), std::string::npos);
  }
#ifndef _WIN32
  // Trusted as ssh trusts its configuration: written by nobody but its owner.
  WriteText(path, entry);
  ::chmod(path.c_str(), 0620);
  read = ReadModelTable(path);
  ASSERT_TRUE(std::holds_alternative<std::string>(read));
  EXPECT_NE(std::get<std::string>(read).find("may be written by others"), std::string::npos);
#endif
  // The user's own table may be missing; another is refused.
  EXPECT_TRUE(
      std::holds_alternative<std::vector<ModelEntry>>(ReadModelTable(dir / "missing.toml", true)));
  EXPECT_TRUE(std::holds_alternative<std::string>(ReadModelTable(dir / "missing.toml")));
}

TEST(ModelTableTest, OneNameOnePlace) {
  std::vector<ModelEntry> models = BuiltInModels();
  ModelEntry fingerprinted{"v135", 0x1CD800, 0x1DFFFF, ModelFingerprint{7, {}, 9}, "", "a.toml"};
  EXPECT_EQ(MergeModels(models, {fingerprinted}), std::nullopt);
  ASSERT_EQ(models.size(), 4u);
  EXPECT_EQ(models[0].name, "V135");
  ASSERT_TRUE(models[0].fingerprint);  // a built-in version given a fingerprint
  EXPECT_EQ(models[0].from, "built-in");
  const ModelEntry moved{"V135", 0x1000, 0x2000, {}, "", "b.toml"};
  const auto refused = MergeModels(models, {moved});
  ASSERT_TRUE(refused);
  EXPECT_NE(refused->find("in the built-in table but at 0x1000 to 0x2000 in 'b.toml'"),
            std::string::npos)
      << *refused;
  EXPECT_EQ(MergeModels(models, {{"V139", 1, 2, {}, "", "c.toml"}}), std::nullopt);
  EXPECT_EQ(models.back().name, "V139");
}

TEST(ModelTableTest, AddingAndTakingOutKeepEveryOtherLine) {
  const TempDir dir;
  const std::string path = dir / "models.toml";
  WriteText(path, kGood);
  const ModelEntry added{"V140", 0x1000, 0x1FFF, {}, "kept \"as\" said", ""};
  ASSERT_TRUE(AddToModelTable(path, added).ok());
  EXPECT_TRUE(TextOf(path).starts_with(kGood));
  EXPECT_EQ(AddToModelTable(path, added).refusal, Refusal::NotUnique);
  auto read = ReadModelTable(path);
  ASSERT_TRUE(std::holds_alternative<std::vector<ModelEntry>>(read));
  EXPECT_EQ(std::get<std::vector<ModelEntry>>(read).back().note, "kept \"as\" said");
  // The first entry out: the comment above the tables and the rest stay as they were.
  ASSERT_TRUE(RemoveFromModelTable(path, "v139").ok());
  const std::string left = TextOf(path);
  EXPECT_TRUE(left.starts_with("# the versions found so far\n[[model]]\nname = \"v135\"")) << left;
  EXPECT_EQ(RemoveFromModelTable(path, "V139").refusal, Refusal::NotFound);
  // Twenty at once, each in a run of its own: all land.
  std::vector<std::thread> adding;
  std::atomic<int> landed = 0;
  for (int i = 0; i < 20; ++i)
    adding.emplace_back([&, i] {
      try {
        landed += AddToModelTable(path, {"M" + std::to_string(i), 1, 2, {}, "", ""}).ok();
      } catch (const std::exception&) {
      }
    });
  for (std::thread& thread : adding)
    thread.join();
  EXPECT_EQ(landed, 20);
  read = ReadModelTable(path);
  ASSERT_TRUE(std::holds_alternative<std::vector<ModelEntry>>(read));
  EXPECT_EQ(std::get<std::vector<ModelEntry>>(read).size(), 22u);
  // A table that does not exist yet is made.
  ASSERT_TRUE(AddToModelTable(dir / "new.toml", added).ok());
  EXPECT_TRUE(std::holds_alternative<std::vector<ModelEntry>>(ReadModelTable(dir / "new.toml")));
}

TEST(ModelTableTest, AnImageIsToldByItsFingerprint) {
  const TempDir dir;
  const Bytes image = Pattern(0x20000, 41);
  WriteBytes(dir / "image.bin", image);
  const FingerprintResult print = Fingerprint(dir / "image.bin", 0x1000, 0x1FFF);
  ASSERT_TRUE(print.status.ok()) << print.status.reason;
  EXPECT_EQ(print.size, image.size());
  const std::vector<ModelEntry> before = KnownModels();
  std::vector<ModelEntry> models = BuiltInModels();
  models.push_back({"V140", 0x1000, 0x1FFF,
                    ModelFingerprint{print.size, print.outside, print.stock}, "", "t.toml"});
  UseModels(models);
  struct Row {
    const char* name;
    Bytes image;
    bool matches;
    bool stock;
  };
  Bytes patched = image;
  patched[0x1800] ^= 1;  // inside the block: still the version, changed
  Bytes other = image;
  other[0x10] ^= 1;  // outside it: another image
  const Row rows[] = {{"the image itself", image, true, true},
                      {"patched in its block", patched, true, false},
                      {"changed outside its block", other, false, false},
                      {"another length", Concat({image, Bytes(1, 0)}), false, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteBytes(dir / "candidate.bin", row.image);
    const IdentifyResult found = zarneth::Run(IdentifyImage{dir / "candidate.bin"});
    ASSERT_TRUE(found.status.ok()) << found.status.reason;
    ASSERT_EQ(found.versions.size(), row.matches ? 1u : 0u);
    const RunStatus checked = CheckImageIsModel(dir / "candidate.bin", "v140");
    EXPECT_EQ(checked.ok(), row.matches) << checked.reason;
    if (row.matches) {
      EXPECT_EQ(found.versions[0].stock, row.stock);
    } else {
      EXPECT_EQ(checked.refusal, Refusal::OtherVersion);
    }
  }
  // A model without a fingerprint takes any image, as before.
  EXPECT_TRUE(CheckImageIsModel(dir / "candidate.bin", "V135").ok());
  // A patch at the model's start checks the image it holds, the dry run as the real one;
  // at an address of the user's own it writes where asked.
  WriteBytes(dir / "transcript.bin", Pattern(0x100, 42));
  for (const bool dryRun : {true, false}) {
    PatchCopy patch{dir / "candidate.bin",
                    dir / "transcript.bin",
                    dir / "out.bin",
                    BlockPlace{"1000", "V140"},
                    false,
                    dryRun};
    WriteResult result = zarneth::Run(WriteOperation(patch));
    EXPECT_EQ(result.status.refusal, Refusal::OtherVersion) << result.status.reason;
    patch.at.startText = "1004";
    result = zarneth::Run(WriteOperation(patch));
    EXPECT_TRUE(result.status.ok()) << result.status.reason;
  }
  WriteBytes(dir / "candidate.bin", image);
  const WriteResult right = zarneth::Run(
      WriteOperation(PatchCopy{dir / "candidate.bin", dir / "transcript.bin", dir / "out.bin",
                               BlockPlace{"1000", "V140"}, false, false}));
  EXPECT_TRUE(right.status.ok()) << right.status.reason;
  UseModels(before);
}

}  // namespace
}  // namespace zarneth::test

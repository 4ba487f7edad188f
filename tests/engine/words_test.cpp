// The words layer: its places filled as a translation orders them, a catalog read from its
// .mo bytes (the Windows programs' own reader), each language's rule for plurals.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "catalog.h"
#include "scoped_environment.h"
#include "speak_english.h"
#include "temp_dir.h"
#include "words.h"

namespace zarneth {
namespace {

TEST(WordsTest, PlacesAreFilledInTheOrderTheTextGives) {
  struct Row {
    const char* format;
    std::initializer_list<std::string_view> values;
    const char* filled;
  };
  const Row rows[] = {
      {"%s of %s", {"a", "b"}, "a of b"},
      {"%2$s, then %1$s", {"a", "b"}, "b, then a"},
      {"100%% of %s", {"it"}, "100% of it"},
      {"%s and %s", {"a"}, "a and %s"},  // a place with no value stays
      {"%d %", {"a"}, "%d %"},           // no place of ours
      {"%12$s", {"a"}, "%12$s"},
  };
  for (const Row& row : rows)
    EXPECT_EQ(Fill(row.format, row.values), row.filled) << row.format;
}

TEST(WordsTest, PluralRulesAreReadAsCatalogsWriteThem) {
  const char* russian =
      "(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2)";
  const std::pair<unsigned long, unsigned long> forms[] = {
      {0, 2}, {1, 0}, {2, 1}, {4, 1}, {5, 2}, {11, 2}, {12, 2}, {21, 0}, {22, 1}, {111, 2}};
  for (const auto& [n, form] : forms)
    EXPECT_EQ(PluralIndex(russian, n), form) << n;
  EXPECT_EQ(PluralIndex("(n > 1)", 1), 0u);
  EXPECT_EQ(PluralIndex("n != 1", 0), 1u);
  for (const char* broken : {"n %", "(n", "n / 0", "n ? 1", "", "x", "n % (n - 3)"})
    EXPECT_EQ(PluralIndex(broken, 3), std::nullopt) << broken;
  // Nesting without end is refused, not followed down the stack.
  for (const char opening : {'(', '!'}) {
    const std::string deep = std::string(1 << 20, opening) + "n";
    EXPECT_EQ(PluralIndex(deep, 3), std::nullopt) << opening;
  }
  EXPECT_EQ(PluralIndex("n == 1 ? 0 : n == 2 ? 1 : n == 3 ? 2 : 3", 3), 2u);
}

std::string FileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

// As msgfmt writes them on either kind of machine, little-endian or big-endian.
TEST(WordsTest, ACompiledCatalogIsReadWholeAndADamagedOneNotAtAll) {
  for (const char* path : {ZARNETH_CATALOGS "/ru/LC_MESSAGES/zarneth.mo", ZARNETH_BIG_ENDIAN_RU}) {
    SCOPED_TRACE(path);
    const std::string bytes = FileBytes(path);
    ASSERT_FALSE(bytes.empty());
    const auto catalog = Catalog::Read(bytes);
    ASSERT_TRUE(catalog);
    EXPECT_STREQ(catalog->Find("Is a directory"), "Это каталог");
    EXPECT_EQ(catalog->Find("no such text"), nullptr);
    EXPECT_STREQ(catalog->FindPlural("%s byte", 1), "%s байт");
    EXPECT_STREQ(catalog->FindPlural("%s byte", 3), "%s байта");
    EXPECT_STREQ(catalog->FindPlural("%s byte", 25), "%s байт");
    EXPECT_FALSE(Catalog::Read(bytes.substr(0, bytes.size() / 2)));
  }
  EXPECT_FALSE(Catalog::Read("not a catalog at all, but long enough"));
}

// The user's language as LANGUAGE lists it, best first: a language without a catalog is
// passed over, a region or a character set falls back to the language itself, and with
// none of ours the words stay English.
TEST(WordsTest, TheFirstLanguageWithACatalogSpeaks) {
  const std::pair<const char*, const char*> rows[] = {
      {"de", "Ist ein Verzeichnis"},
      {"pt_BR:ru_RU.UTF-8", "Это каталог"},
      {"fr_CA", "Est un dossier"},
      {"xx:yy", "Is a directory"},
      // Entries that are no language names are passed over, never read as folders.
      {"../../../tmp/evil:fr", "Est un dossier"},
      {"de/../ru:..:de_DE", "Ist ein Verzeichnis"},
  };
  for (const auto& [languages, said] : rows) {
    {
      const test::ScopedEnvironment locale("LC_ALL", "C.UTF-8");
      const test::ScopedEnvironment language("LANGUAGE", languages);
      UseUserLanguage();
      EXPECT_STREQ(Tr("Is a directory"), said) << languages;
    }
    test::SpeakEnglish();
  }
  EXPECT_STREQ(Tr("Is a directory"), "Is a directory");
}

// A LANGUAGE entry that leads out of the catalogs' folder (sudo keeps LANGUAGE, so root's
// run would read a catalog another user wrote in /tmp) is passed over.
TEST(WordsTest, ALanguageListNeverLeadsIntoAFolder) {
  const test::TempDir dir;
  const std::filesystem::path planted = dir.Path() / "evil" / "LC_MESSAGES";
  std::filesystem::create_directories(planted);
  std::filesystem::copy_file(ZARNETH_CATALOGS "/ru/LC_MESSAGES/zarneth.mo", planted / "zarneth.mo");
  std::string up;
  for (int i = 0; i < 32; ++i)
    up += "../";
  const std::string evil = up + (dir.Path() / "evil").relative_path().string();
  {
    const test::ScopedEnvironment locale("LC_ALL", "C.UTF-8");
    const test::ScopedEnvironment language("LANGUAGE", evil + ":fr");
    UseUserLanguage();
    EXPECT_STREQ(Tr("Is a directory"), "Est un dossier");
  }
  test::SpeakEnglish();
  EXPECT_EQ(LanguageNamesOnly("de_DE.UTF-8@euro:../x:/tmp/y:fr:.:pt-BR"),
            "de_DE.UTF-8@euro:fr:pt-BR");
}

}  // namespace
}  // namespace zarneth

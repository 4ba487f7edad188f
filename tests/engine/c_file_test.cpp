#include "c_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "fault_injection.h"
#include "platform_files.h"
#include "quoted_name.h"
#include "temp_dir.h"

namespace zarneth {
namespace {

using test::Bytes;
using test::Concat;
using test::MakeSymlink;
using test::Pattern;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

constexpr unsigned kReadModes[] = {CFile::modeRead, CFile::modeReadWrite,
                                   CFile::modeRead | CFile::shareExclusive};

class CFileTest : public testing::Test {
 protected:
  TempDir dir;
  std::string image = dir / "image.bin";
  Bytes contents = Pattern(64, 1);
  void SetUp() override { WriteBytes(image, contents); }
};

struct Refused {
  std::string path;
  std::string reason;
};

void ExpectRefusedInEveryMode(const std::vector<Refused>& refused) {
  for (const Refused& r : refused) {
    for (unsigned mode : kReadModes) {
      const FileStatus opened = CFile().Open(r.path, mode);
      ASSERT_FALSE(opened) << r.path << " mode " << mode;
      EXPECT_EQ(opened.Why().Words(), r.reason) << r.path;
    }
  }
}

TEST_F(CFileTest, OnlyExistingRegularFilesOpen) {
  ExpectRefusedInEveryMode({
      {dir / "missing.bin", test::MissingFileText()},
      {dir.Path().string(), "Is a directory"},
      {test::kDevicePath, "it is a device, not a regular file"},
  });
  EXPECT_FALSE(std::filesystem::exists(dir / "missing.bin"));
  CFile file;
  ASSERT_TRUE(file.Open(image, CFile::modeRead));
  EXPECT_EQ(file.GetLength(), 64u);
}

TEST_F(CFileTest, FifosAndDanglingLinksDoNotOpen) {
  if (!test::MakeFifoAndDanglingLink(dir.Path().string()))
    GTEST_SKIP() << test::kNoFifosOrLinks;
  ExpectRefusedInEveryMode({{dir / "fifo", "it is a FIFO, not a regular file"},
                            {dir / "dangling", test::MissingFileText()}});
  EXPECT_FALSE(std::filesystem::exists(dir / "gone.bin"));
}

TEST_F(CFileTest, ReadersShareAFileAndAWriterHasItAlone) {
  const std::string hardlink = dir / "hardlink.bin";
  std::filesystem::create_hard_link(image, hardlink);
  // Without symbolic links the third name is the file's own again.
  const std::string symlink = MakeSymlink(image, dir / "symlink.bin") ? dir / "symlink.bin" : image;
  {
    CFile first, second;
    ASSERT_TRUE(first.Open(image, CFile::modeRead));
    EXPECT_TRUE(second.Open(hardlink, CFile::modeRead)) << "two readers at once";
    const FileStatus opened = CFile().Open(symlink, CFile::modeReadWrite);
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.Why().Words(), "the file is in use (held open by a run)");
    EXPECT_EQ(first.GetIdentity(), second.GetIdentity());
  }
  for (unsigned holderMode :
       {unsigned{CFile::modeReadWrite}, unsigned{CFile::modeRead | CFile::shareExclusive}}) {
    CFile holder;
    ASSERT_TRUE(holder.Open(image, holderMode));
    for (const auto& name : {image, symlink, hardlink})
      for (unsigned mode : kReadModes)
        EXPECT_FALSE(CFile().Open(name, mode)) << name << " mode " << mode;
    holder.Close();
    EXPECT_TRUE(CFile().Open(symlink, CFile::modeReadWrite)) << "the lock ends with the close";
  }
  EXPECT_EQ(ReadBytes(image), contents);
}

TEST_F(CFileTest, AFileWithoutWriteBitsIsReadableButNeverWrittenEvenByRoot) {
  test::MakeReadOnly(image);
  const FileStatus opened = CFile().Open(image, CFile::modeReadWrite);
  ASSERT_FALSE(opened);
  EXPECT_EQ(opened.Why().Words(), "the file is read-only");
  EXPECT_TRUE(CFile().Open(image, CFile::modeRead));
  EXPECT_EQ(ReadBytes(image), contents);
}

TEST_F(CFileTest, PositionedReadsAndWrites) {
  CFile file;
  ASSERT_TRUE(file.Open(image, CFile::modeReadWrite));
  Bytes buffer(100);
  EXPECT_EQ(file.ReadAt(60, buffer.data(), 100), 4u) << "short only at the end";
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 4), test::Slice(contents, 60, 4));
  const unsigned char tail[] = {0xAA, 0xBB};
  file.WriteAt(64, tail, 2);
  EXPECT_EQ(file.GetLength(), 66u);
  file.Sync();
  file.Close();
  EXPECT_EQ(ReadBytes(image), Concat({contents, Bytes(tail, tail + 2)}));
}

TEST_F(CFileTest, SystemErrorsAreThrownWithPathAndSystemText) {
  CFile file;
  ASSERT_TRUE(file.Open(image, CFile::modeReadWrite));
  unsigned char buffer[8] = {};
  {
    test::ScopedFaults faults;
    faults.FailReads();
    faults.DiskFullAfter(0);
    faults.FailSync(1);
    EXPECT_THROW(file.ReadAt(0, buffer, 8), CFileException);
    try {
      file.WriteAt(0, buffer, 8);
      FAIL() << "a failed write must throw";
    } catch (const CFileException& e) {
      EXPECT_EQ(std::string(e.what()),
                "cannot write file " + QuotedName(image) + ": " + test::DiskFullText());
    }
    EXPECT_THROW(file.Sync(), CFileException);
  }
  EXPECT_EQ(file.ReadAt(0, buffer, 8), 8u) << "the real calls are back";
}

// Every message quotes its names so that no name can break a line or forge one.
TEST(QuotedNameTest, ControlCharactersQuotesAndBackslashesShowAsEscapes) {
  EXPECT_EQ(QuotedName("out.bin"), "'out.bin'");
  EXPECT_EQ(QuotedName("a\nzarneth-cli: failed: b"), "'a\\nzarneth-cli: failed: b'");
  EXPECT_EQ(QuotedName("tab\there\r\x1B[2J\x7F"), "'tab\\there\\r\\x1B[2J\\x7F'");
  EXPECT_EQ(QuotedName("it's C:\\x"), "'it\\'s C:\\x'");
  EXPECT_EQ(QuotedName("образ Ü.bin"), "'образ Ü.bin'") << "UTF-8 stays as it is";
}

}  // namespace
}  // namespace zarneth

#include "c_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "posix_calls.h"
#include "temp_dir.h"

namespace zarneth {
namespace {

using test::Bytes;
using test::Pattern;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

constexpr unsigned kCreate = CFile::modeCreate | CFile::modeWrite;

class CFileTest : public testing::Test {
 protected:
  TempDir dir;
  std::string image = dir / "image.bin";
  Bytes contents = Pattern(64, 1);
  void SetUp() override { WriteBytes(image, contents); }
};

TEST_F(CFileTest, OpensExistingFilesAndCreatesOnlyWithCreate) {
  const std::string missing = dir / "missing.bin";
  std::string why;
  EXPECT_FALSE(CFile().Open(missing, CFile::modeRead, &why));
  EXPECT_EQ(why, "No such file or directory");
  EXPECT_FALSE(CFile().Open(missing, CFile::modeReadWrite));
  EXPECT_FALSE(std::filesystem::exists(missing));

  CFile created;
  ASSERT_TRUE(created.Open(missing, kCreate));
  EXPECT_EQ(created.GetLength(), 0u);

  CFile existing;
  ASSERT_TRUE(existing.Open(image, CFile::modeReadWrite));
  EXPECT_EQ(existing.GetLength(), 64u);
}

TEST_F(CFileTest, CreateEmptiesAnExistingFile) {
  CFile file;
  ASSERT_TRUE(file.Open(image, kCreate));
  EXPECT_EQ(file.GetLength(), 0u);
}

TEST_F(CFileTest, AFileHeldOpenIsRefusedThroughAnyNameAndNotTruncated) {
  const std::string symlink = dir / "symlink.bin";
  const std::string hardlink = dir / "hardlink.bin";
  std::filesystem::create_symlink(image, symlink);
  std::filesystem::create_hard_link(image, hardlink);

  CFile holder;
  ASSERT_TRUE(holder.Open(image, CFile::modeRead));
  for (const auto& name : {image, symlink, hardlink}) {
    for (unsigned mode : {unsigned{CFile::modeRead}, unsigned{CFile::modeReadWrite}, kCreate}) {
      std::string why;
      EXPECT_FALSE(CFile().Open(name, mode, &why)) << name << " mode " << mode;
      EXPECT_EQ(why, "the file is in use (held open by a run)");
    }
  }
  EXPECT_EQ(ReadBytes(image), contents);

  holder.Close();
  EXPECT_TRUE(CFile().Open(symlink, CFile::modeReadWrite)) << "the lock ends with the close";
}

TEST_F(CFileTest, AFileWithoutWriteBitsIsRefusedForWritingEvenToRoot) {
  ::chmod(image.c_str(), 0444);
  std::string why;
  EXPECT_FALSE(CFile().Open(image, CFile::modeReadWrite, &why));
  EXPECT_EQ(why, "the file is read-only");
  EXPECT_FALSE(CFile().Open(image, kCreate));
  EXPECT_EQ(ReadBytes(image), contents);
  EXPECT_TRUE(CFile().Open(image, CFile::modeRead));
}

TEST_F(CFileTest, DirectoriesFifosAndDanglingLinksAreRefused) {
  for (unsigned mode : {unsigned{CFile::modeRead}, unsigned{CFile::modeReadWrite}, kCreate})
    EXPECT_FALSE(CFile().Open(dir.Path().string(), mode)) << mode;

  const std::string fifo = dir / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  for (unsigned mode : {unsigned{CFile::modeRead}, unsigned{CFile::modeReadWrite}, kCreate})
    EXPECT_FALSE(CFile().Open(fifo, mode)) << "must neither block nor open, mode " << mode;

  const std::string dangling = dir / "dangling";
  std::filesystem::create_symlink(dir / "elsewhere.bin", dangling);
  std::string why;
  EXPECT_FALSE(CFile().Open(dangling, kCreate, &why));
  EXPECT_EQ(why, "it is a symbolic link to a file that does not exist");
  EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere.bin"));
}

TEST_F(CFileTest, SeekTakesSignedOffsetsAndAllowsPositionsPastTheEnd) {
  CFile file;
  ASSERT_TRUE(file.Open(image, CFile::modeReadWrite));
  try {
    file.Seek(static_cast<std::int32_t>(0x80000000u), CFile::begin);
    FAIL() << "a negative offset must throw";
  } catch (const CFileException& e) {
    EXPECT_EQ(e.GetPath(), image);
    EXPECT_EQ(e.GetError(), EINVAL);
  }

  EXPECT_EQ(file.Seek(100, CFile::begin), 100u);
  unsigned char byte = 0;
  EXPECT_EQ(file.Read(&byte, 1), 0u) << "reads past the end give nothing";
  const unsigned char tail[] = {0xAA, 0xBB};
  file.Write(tail, 2);
  EXPECT_EQ(file.GetLength(), 102u);
  file.Close();

  const Bytes grown = ReadBytes(image);
  EXPECT_EQ(Bytes(grown.begin(), grown.begin() + 64), contents);
  EXPECT_EQ(Bytes(grown.begin() + 64, grown.begin() + 100), Bytes(36, 0));
  EXPECT_EQ(grown[100], 0xAA);
}

TEST_F(CFileTest, ReadComesUpShortOnlyAtTheEnd) {
  CFile file;
  ASSERT_TRUE(file.Open(image, CFile::modeRead));
  Bytes buffer(100);
  file.Seek(60, CFile::begin);
  EXPECT_EQ(file.Read(buffer.data(), 100), 4u);
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 4), test::Slice(contents, 60, 4));
}

TEST(CFileDeviceTest, DiskFullThrowsWithPathAndSystemText) {
  CFile full;
  ASSERT_TRUE(full.Open("/dev/full", kCreate));
  const Bytes bytes(16, 1);
  try {
    full.Write(bytes.data(), 16);
    FAIL() << "writing to /dev/full must throw";
  } catch (const CFileException& e) {
    EXPECT_EQ(e.GetError(), ENOSPC);
    EXPECT_STREQ(e.what(), "cannot write file /dev/full: No space left on device");
  }
}

TEST_F(CFileTest, ReadAndWriteErrorsOfTheSystemAreThrown) {
  CFile file;
  ASSERT_TRUE(file.Open(image, CFile::modeReadWrite));
  unsigned char buffer[8] = {};
  {
    ScopedPosixCalls failing(
        {[](int, void*, std::size_t) -> ssize_t { return errno = EIO, -1; },
         [](int, const void*, std::size_t) -> ssize_t { return errno = ENOSPC, -1; }});
    EXPECT_THROW(file.Read(buffer, 8), CFileException);
    EXPECT_THROW(file.Write(buffer, 8), CFileException);
  }
  EXPECT_EQ(file.Read(buffer, 8), 8u) << "the real calls are back";
}

}  // namespace
}  // namespace zarneth

#include <gtest/gtest.h>

#include <filesystem>

#include "c_file.h"
#include "model_presets.h"
#include "patch_job.h"
#include "platform_files.h"
#include "run_fixture.h"
#include "stream_copy.h"

namespace zarneth::test {
namespace {

using CutTest = RunFixture;

TEST_F(CutTest, CopiesEachPresetRangeWholeAndInclusive) {
  Files(0x200000, 0);
  for (const ModelPreset& preset : kModelPresets) {
    const WriteResult result = RunJob(Cut(preset.StartText(), preset.EndText()));
    ASSERT_EQ(result.outcome(), PatchOutcome::Done) << preset.model;
    EXPECT_EQ(result.placedBytes, preset.Length());
    EXPECT_EQ(ReadBytes(destination), Slice(imageBytes, preset.start, preset.Length()))
        << preset.model;
  }
  EXPECT_GT(kModelPresets[3].Length(), kCopyBufferSize) << "V138 is longer than one buffer";
  EXPECT_EQ(ReadBytes(image), imageBytes);
}

TEST_F(CutTest, SingleByteAndEmptyRanges) {
  Files(0x1000, 0);
  WriteResult result = RunJob(Cut("10", "10"));
  EXPECT_EQ(result.placedBytes, 1u);
  EXPECT_EQ(ReadBytes(destination), Slice(imageBytes, 0x10, 1));

  result = RunJob(Cut("10", "F"));
  EXPECT_EQ(result.outcome(), PatchOutcome::Done) << "end one below start: an empty range";
  EXPECT_EQ(result.placedBytes, 0u);
  EXPECT_EQ(ReadBytes(destination).size(), 0u);
}

TEST_F(CutTest, AReadOnlyImageIsCutAndCreateNewDoesNotMatter) {
  Files(0x1000, 0);
  MakeReadOnly(image);
  PatchJob job = Cut("0", "F");
  job.createNewFile = false;
  EXPECT_EQ(RunJob(job).outcome(), PatchOutcome::Done);
  EXPECT_EQ(ReadBytes(destination), Slice(imageBytes, 0, 16));
}

TEST_F(CutTest, AStaleTemporaryFileGoesOnceNobodyHoldsIt) {
  Files(0x1000, 0);
  const std::string stale = dir / ".out.bin.zarneth-abc123.tmp";
  WriteBytes(stale, Pattern(10, 4));
  {
    CFile writer;  // a run still writing its copy holds its temporary file
    ASSERT_TRUE(writer.Open(stale, CFile::modeReadWrite));
    ASSERT_EQ(RunJob(Cut("0", "F")).outcome(), PatchOutcome::Done);
    EXPECT_TRUE(std::filesystem::exists(stale));
  }
  ASSERT_EQ(RunJob(Cut("0", "F")).outcome(), PatchOutcome::Done);
  EXPECT_FALSE(std::filesystem::exists(stale)) << "left by a killed run: removed";
  EXPECT_EQ(ReadBytes(destination), Slice(imageBytes, 0, 16));
}

}  // namespace
}  // namespace zarneth::test

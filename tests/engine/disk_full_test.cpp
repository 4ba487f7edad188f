// A disk that fills up at any point of a run: the run ends with the system's "disk full"
// error, and once a later run has settled the folder it holds exactly the old files.
#include <gtest/gtest.h>

#include <filesystem>

#include "c_file.h"
#include "fault_injection.h"
#include "run_fixture.h"

namespace zarneth::test {
namespace {

class DiskFullTest : public RunFixture {};

TEST_F(DiskFullTest, EveryKindOfRunFailsWithTheDiskFullAndLeavesTheOldFiles) {
  struct Kind {
    const char* name;
    PatchJob job;
    bool withDestination;
  };
  const Kind kinds[] = {
      {"patched copy", Copy("1000"), false},
      {"patched copy over an existing file", Copy("1000"), true},
      {"cut over an existing file", Cut("1000", "2FFFF"), true},
      {"in place", InPlace("1000"), false},
  };
  // Room for nothing, one byte, part of the first buffer, and most of the run.
  const std::uint64_t rooms[] = {0, 1, 50000, 150000};
  for (const Kind& kind : kinds) {
    for (std::uint64_t room : rooms) {
      SCOPED_TRACE(std::string(kind.name) + ", room for " + std::to_string(room) + " bytes");
      for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        std::filesystem::remove(entry.path());
      Files(0x40000, 100000);
      if (kind.withDestination)
        WriteBytes(destination, Pattern(3000, 5));
      const FolderListing before = ListFolder(dir.Path());
      try {
        ScopedFaults faults;
        faults.DiskFullAfter(room);
        RunJob(kind.job);
        ADD_FAILURE() << "the run did not see the full disk";
      } catch (const CFileException& e) {
        EXPECT_NE(std::string(e.what()).find(DiskFullText()), std::string::npos) << e.what();
      }
      // With the disk free again, the next run finishes what the failed one could not undo.
      PatchJob settle = Cut("0", "0");
      settle.destinationPath = dir / "settle.bin";
      ASSERT_EQ(RunJob(settle).outcome, PatchOutcome::Done);
      std::filesystem::remove(settle.destinationPath);
      EXPECT_TRUE(ListFolder(dir.Path()) == before) << "the folder changed";
    }
  }
}

}  // namespace
}  // namespace zarneth::test

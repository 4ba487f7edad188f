// A disk that fills up at any point of a run: the run ends with the system's "disk full"
// error, and the folder holds exactly the old files, with nothing left behind.
#include <gtest/gtest.h>

#include "c_file.h"
#include "fault_injection.h"
#include "run_fixture.h"

namespace zarneth::test {
namespace {

using DiskFullTest = RunFixture;

// Invariants 1 and 5 of the save (save_file.h).
TEST_F(DiskFullTest, EveryKindOfRunFailsWithTheDiskFullAndLeavesTheOldFiles) {
  // Room for nothing, one byte, part of the first buffer, and most of the run.
  const std::uint64_t rooms[] = {0, 1, 50000, 150000};
  for (const RunKind& kind : KindsOfRun()) {
    for (std::uint64_t room : rooms) {
      SCOPED_TRACE(std::string(kind.name) + ", room for " + std::to_string(room) + " bytes");
      ResetFolder(kind.withDestination);
      const FolderListing before = ListFolder(dir.Path());
      try {
        ScopedFaults faults;
        faults.DiskFullAfter(room);
        const WriteResult result = zarneth::Run(kind.job);
        ADD_FAILURE() << "the run did not see the full disk: " << result.status.reason;
      } catch (const CFileException& e) {
        EXPECT_NE(std::string(e.what()).find(DiskFullText()), std::string::npos) << e.what();
        EXPECT_EQ(e.code().value(), kDiskFullError) << "the error goes with the exception";
      }
      EXPECT_TRUE(ListFolder(dir.Path()) == before) << "the folder changed";
    }
  }
}

}  // namespace
}  // namespace zarneth::test

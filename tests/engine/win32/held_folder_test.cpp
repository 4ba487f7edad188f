// The walk on Windows: a junction or symbolic link is followed only where its owner is the
// user running or the owner of the folder holding it, and once a folder is held, every call
// of the run goes through the held folder, never its name again. Wine makes no links, so a
// link is a folder the system-call seam calls one, with the owner the row gives.
#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "c_file.h"
#include "file_information.h"
#include "file_paths.h"
#include "file_system.h"
#include "patch_job.h"
#include "run_fixture.h"
#include "system_call_hook.h"
#include "wide_text.h"
#include "win32_calls.h"

namespace zarneth::test {
namespace {

// The calls in force when the test began, which the fakes pass on to.
std::optional<Win32Calls> realCalls;
std::optional<FileIdentity> fakeLink;       // the folder the seam calls a junction
std::optional<FileIdentity> foreignFolder;  // the folder holding it, when not the caller's
bool linkIsForeign = false;
std::optional<FileIdentity> fakeReparse;  // a file the seam calls a reparse point
ULONG fakeReparseTag = 0;                 // of this tag

BOOL WINAPI FakeAttributeTag(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info,
                             DWORD size) {
  const BOOL answered = realCalls->getFileInformationByHandleEx(handle, kind, info, size);
  // Opened as the link itself, the fake junction says so; followed, it is its target.
  if (answered && kind == FileAttributeTagInfo && IdentityOfHandle(handle) == fakeLink) {
    auto* tag = static_cast<FILE_ATTRIBUTE_TAG_INFO*>(info);
    tag->FileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    tag->ReparseTag = IO_REPARSE_TAG_MOUNT_POINT;
  }
  if (answered && kind == FileAttributeTagInfo && IdentityOfHandle(handle) == fakeReparse) {
    auto* tag = static_cast<FILE_ATTRIBUTE_TAG_INFO*>(info);
    tag->FileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    tag->ReparseTag = fakeReparseTag;
  }
  return answered;
}

DWORD WINAPI FakeOwner(HANDLE handle, SE_OBJECT_TYPE type, SECURITY_INFORMATION what, PSID* owner,
                       PSID* group, PACL* access, PACL* audit, PSECURITY_DESCRIPTOR* descriptor) {
  const auto identity = IdentityOfHandle(handle);
  const bool foreign = (linkIsForeign && identity == fakeLink) || identity == foreignFolder;
  if (!foreign)
    return realCalls->getSecurityInfo(handle, type, what, owner, group, access, audit, descriptor);
  // Owned by the system's own account, which is not the user running the tests.
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:SY", SDDL_REVISION_1, descriptor,
                                                              nullptr))
    return ::GetLastError();
  BOOL defaulted = FALSE;
  ::GetSecurityDescriptorOwner(*descriptor, owner, &defaulted);
  return ERROR_SUCCESS;
}

class HeldFolderTest : public RunFixture {
 protected:
  void SetUp() override {
    realCalls = ActiveWin32Calls();
    std::filesystem::create_directory(PathFromUtf8(link));
  }
  void TearDown() override {
    ActiveWin32Calls() = *realCalls;
    SetSystemCallHook(nullptr);
    fakeLink.reset();
    foreignFolder.reset();
    fakeReparse.reset();
  }
  std::string link = dir / "link";
};

TEST_F(HeldFolderTest, ALinkIsFollowedOnlyForItsOwnerOrTheOwnerOfItsFolder) {
  struct Row {
    const char* name;
    bool linkForeign;    // the link belongs to another user
    bool folderForeign;  // the folder holding it belongs to that user too
    bool inFolderPart;   // the link is a folder on the way, not the destination's folder
    bool reading;        // the link is on the way to the image read, not the file written
    bool followed;
  };
  const Row rows[] = {
      {"the caller's own link", false, false, false, false, true},
      {"another user's link in the caller's folder", true, false, false, false, false},
      {"another user's link on the way", true, false, true, false, false},
      {"another user's link on the way to the image", true, false, true, true, false},
      {"the caller's own link on the way to the image", false, false, true, true, true},
      {"a link of the folder's owner", true, true, false, false, true},
      {"a link of the folder's owner on the way", true, true, true, false, true},
  };
  const std::string deeper = link + "\\sub";
  std::filesystem::create_directory(PathFromUtf8(deeper));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Files(0x2000, 0x100);
    const std::string linked = (row.inFolderPart ? deeper : link) + "\\file.bin";
    if (row.reading)
      WriteBytes(linked, imageBytes);
    fakeLink = IdentityOfPath(link);
    linkIsForeign = row.linkForeign;
    foreignFolder = row.folderForeign ? IdentityOfPath(Utf8FromPath(dir.Path())) : std::nullopt;
    ActiveWin32Calls().getFileInformationByHandleEx = FakeAttributeTag;
    ActiveWin32Calls().getSecurityInfo = FakeOwner;
    const PatchJob job = row.reading ? With(Copy("1000"), &PatchJob::sourcePath, linked)
                                     : With(Copy("1000"), &PatchJob::destinationPath, linked);
    const WriteResult result = RunJob(job);
    ActiveWin32Calls() = *realCalls;
    EXPECT_EQ(result.outcome() == PatchOutcome::Done, row.followed) << result.status.reason;
    EXPECT_EQ(std::filesystem::exists(PathFromUtf8(row.reading ? destination : linked)),
              row.followed);
    if (!row.followed) {
      EXPECT_NE(result.status.reason.find("owned by another user"), std::string::npos)
          << result.status.reason;
    }
    std::filesystem::remove(PathFromUtf8(linked));
    std::filesystem::remove(PathFromUtf8(destination));
  }
}

// Only a name surrogate (a junction, a symbolic link) is a link: a file in a synced folder
// (a cloud placeholder), a compressed or a deduplicated file is the file it stands for, read
// and patched in place like any other.
TEST_F(HeldFolderTest, OnlyNameSurrogatesAreLinks) {
  struct Row {
    const char* name;
    ULONG tag;
    bool link;
  };
  const Row rows[] = {
      {"a symbolic link", IO_REPARSE_TAG_SYMLINK, true},
      {"a junction", IO_REPARSE_TAG_MOUNT_POINT, true},
      {"a cloud file (OneDrive)", 0x9000601AUL /* IO_REPARSE_TAG_CLOUD_6 */, false},
      {"a compressed file (WOF)", 0x80000017UL /* IO_REPARSE_TAG_WOF */, false},
      {"a deduplicated file", 0x80000013UL /* IO_REPARSE_TAG_DEDUP */, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    for (const bool inPlace : {false, true}) {
      Files(0x2000, 0x100);
      fakeReparse = IdentityOfPath(image);
      fakeReparseTag = row.tag;
      ActiveWin32Calls().getFileInformationByHandleEx = FakeAttributeTag;
      const WriteResult result = RunJob(inPlace ? InPlace("1000") : Copy("1000"));
      ActiveWin32Calls() = *realCalls;
      // A link is walked as one (a regular file said to be one leads nowhere): never
      // opened as the file itself.
      EXPECT_EQ(result.outcome() == PatchOutcome::Failed, row.link) << result.status.reason;
    }
  }
}

// A path is walked as the system reads it: either separator, "." and ".." by their place
// in the path, a file on the way refused, a missing folder refused.
TEST_F(HeldFolderTest, PathsAreWalkedAsTheSystemReadsThem) {
  std::filesystem::create_directory(PathFromUtf8(dir / "sub"));
  const std::string base = Utf8FromPath(dir.Path()) + "\\";
  struct Row {
    std::string destination;  // from the test's folder, where that is the working folder
    const char* lands;        // where the copy lands, under the test's folder; none: refused
  };
  const Row rows[] = {
      {base + "sub\\out.bin", "sub/out.bin"},
      {base + "sub/./out.bin", "sub/out.bin"},
      {base + "sub\\..\\out.bin", "out.bin"},
      {base + "sub.\\out.bin. ", "sub/out.bin"},
      {base + "link\\..\\sub\\out.bin", "sub/out.bin"},
      {"sub.\\out.bin. ", "sub/out.bin"},
      {".\\sub\\out.bin", "sub/out.bin"},
      {base + "image.bin\\out.bin", nullptr},
      {base + "missing\\out.bin", nullptr},
  };
  const std::filesystem::path working = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.destination);
    Files(0x2000, 0x100);
    const WriteResult result =
        RunJob(With(Copy("1000"), &PatchJob::destinationPath, row.destination));
    EXPECT_EQ(result.outcome() == PatchOutcome::Done, row.lands != nullptr) << result.status.reason;
    if (row.lands) {
      EXPECT_EQ(ReadBytes(dir / row.lands).size(), imageBytes.size());
      std::filesystem::remove(PathFromUtf8(dir / row.lands));
    } else {
      EXPECT_NE(result.status.reason.find("cannot create destination file"), std::string::npos)
          << result.status.reason;
    }
  }
  std::filesystem::current_path(working);
}

// Where the folder cannot be flushed (no right to open it for writing), the file just
// renamed into it is flushed instead, which commits the file system's journal as far as the
// rename: the run is done without a warning only once that flush went through.
int folderFlushes = 0;
int fileFlushesAfter = 0;  // flushes of a file once the folder's was refused
bool fileFlushFails = false;
BOOL WINAPI FlushRefusedForFolders(HANDLE handle) {
  FILE_BASIC_INFO info{};
  if (::GetFileInformationByHandleEx(handle, FileBasicInfo, &info, sizeof info) &&
      (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    ++folderFlushes;
    ::SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (folderFlushes > 0) {
    ++fileFlushesAfter;
    if (fileFlushFails) {
      ::SetLastError(ERROR_IO_DEVICE);
      return FALSE;
    }
  }
  return realCalls->flushFileBuffers(handle);
}

TEST_F(HeldFolderTest, AFolderThatCannotBeFlushedHasItsNewFileFlushed) {
  for (const bool fails : {false, true}) {
    SCOPED_TRACE(fails ? "the file's flush fails too" : "the file's flush goes through");
    Files(0x2000, 0x100);
    std::filesystem::remove(PathFromUtf8(destination));
    folderFlushes = fileFlushesAfter = 0;
    fileFlushFails = fails;
    ActiveWin32Calls().flushFileBuffers = FlushRefusedForFolders;
    const WriteResult result = RunJob(Copy("1000"));
    ActiveWin32Calls() = *realCalls;
    ASSERT_EQ(result.outcome(), PatchOutcome::Done) << result.status.reason;
    EXPECT_EQ(folderFlushes, 1);
    EXPECT_EQ(fileFlushesAfter, 1);
    EXPECT_EQ(result.warning.empty(), !fails) << result.warning;
  }
}

// The folder a run holds cannot be renamed away under it; where a system lets it go, the new
// file still lands in the folder that was held, never in one put in its place by name.
std::string heldFolder;
std::string movedFolder;
bool moveTried = false;
bool moved = false;
int MoveTheFolderAway(const char* call) {
  if (!moveTried && std::string(call) == "NtSetInformationFile(rename)") {
    moveTried = true;
    moved = ::MoveFileExW(SystemPath(heldFolder).c_str(), SystemPath(movedFolder).c_str(), 0);
    if (moved)
      std::filesystem::create_directory(PathFromUtf8(heldFolder));
  }
  return 0;
}

TEST_F(HeldFolderTest, AWriteLandsInTheFolderTheRunHolds) {
  Files(0x2000, 0x100);
  heldFolder = link;
  movedFolder = dir / "moved";
  moveTried = moved = false;
  SetSystemCallHook(&MoveTheFolderAway);
  const WriteResult result =
      RunJob(With(Copy("1000"), &PatchJob::destinationPath, link + "\\out.bin"));
  SetSystemCallHook(nullptr);
  ASSERT_TRUE(moveTried);
  ASSERT_EQ(result.outcome(), PatchOutcome::Done) << result.status.reason;
  EXPECT_EQ(std::filesystem::exists(PathFromUtf8(movedFolder + "\\out.bin")), moved);
  EXPECT_EQ(std::filesystem::exists(PathFromUtf8(link + "\\out.bin")), !moved);
  std::cout << (moved ? "the system let the held folder be renamed; the write followed it\n"
                      : "the held folder could not be renamed\n");
}

}  // namespace
}  // namespace zarneth::test

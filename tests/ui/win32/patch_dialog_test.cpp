// The dialog on the Win32 backend, under Wine: the real dialog manager's windows, driven with
// the messages a user's clicks and keys send, checked through the system's own calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "../tab_order.h"
#include "file_paths.h"
#include "modal_driver.h"
#include "model_presets.h"
#include "patch_dialog.h"
#include "platform_files.h"
#include "resource_ids.h"
#include "resources.h"
#include "temp_dir.h"
#include "wide_text.h"
#include "win_app.h"

// DROPFILES; after the framework's headers, as win32_window.h explains.
#include <shlobj.h>

namespace zarneth::test {
namespace {

using namespace zarneth::res;

class Probe : public CPatchDialog {
 public:
  using CPatchDialog::m_createNewFile;
  using CPatchDialog::m_zarnethMode;
  HWND Item(int id) const { return fw::HwndOf(GetDlgItem(id)); }
  HWND Window() const { return fw::HwndOf(*this); }
};

bool Enabled(HWND window) {
  return ::IsWindowEnabled(window) != 0;
}
bool Visible(HWND window) {
  return ::IsWindowVisible(window) != 0;
}

// The form as a user sees it, for comparing after round trips.
struct Form {
  std::string caption, mode, start, end;
  bool transcript, check, checked, endShown, destination;
  bool operator==(const Form&) const = default;
};

Form Read(const Probe& d) {
  return {TextOf(d.Window()),
          TextOf(d.Item(IDC_MODE)),
          TextOf(d.Item(IDC_START)),
          TextOf(d.Item(IDC_END)),
          Enabled(d.Item(IDC_TRANSCRIPT)),
          Enabled(d.Item(IDC_CREATE_NEW)),
          ::SendMessageW(d.Item(IDC_CREATE_NEW), BM_GETCHECK, 0, 0) == BST_CHECKED,
          Visible(d.Item(IDC_END)),
          Enabled(d.Item(IDC_DESTINATION))};
}

const Form kStart{"Zarneth language for Alcatel BE4 V4.0 - zarneth mode",
                  "Cut mode",
                  "1CD800",
                  "1DFFFF",
                  true,
                  true,
                  true,
                  false,
                  true};

// The application object: its name captions message boxes, its main window owns the
// result dialogs.
class PatchDialogTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterResources(); }
  void TearDown() override { app.m_pMainWnd = nullptr; }
  // The three path fields: `source`, and the folder's transcript.bin and patched.bin.
  void TypePaths(const Probe& d, const std::string& source) const {
    Type(d.Item(IDC_SOURCE), source);
    Type(d.Item(IDC_TRANSCRIPT), dir / "transcript.bin");
    Type(d.Item(IDC_DESTINATION), dir / "patched.bin");
  }
  fw::CWinApp app{"win32_ui_tests"};
  TempDir dir;
};

TEST_F(PatchDialogTest, StartsInZarnethModeWithTheFirstModel) {
  Probe d;
  RunModal(d, [&] {
    EXPECT_EQ(Read(d), kStart);
    const HWND combo = d.Item(IDC_MODEL);
    ASSERT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(kModelPresets.size()));
    EXPECT_EQ(::SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(::GetFocus(), combo);
    EXPECT_NE(::SendMessageW(d.Window(), WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_TRUE(d.m_zarnethMode && d.m_createNewFile);
  });
}

TEST_F(PatchDialogTest, BothTogglesChangeTheFormAndComeBack) {
  Probe d;
  RunModal(d, [&] {
    Click(d.Item(IDC_MODE));
    const Form cut = Read(d);
    EXPECT_EQ(cut.caption, "Zarneth language for Alcatel BE4 V4.0 - cut mode");
    EXPECT_EQ(cut.mode, "Zarneth mode");
    EXPECT_TRUE(!cut.transcript && !cut.check && cut.endShown && cut.destination);
    Click(d.Item(IDC_MODE));
    EXPECT_EQ(Read(d), kStart);

    Click(d.Item(IDC_CREATE_NEW));
    EXPECT_FALSE(d.m_createNewFile);
    EXPECT_FALSE(Enabled(d.Item(IDC_DESTINATION)));
    EXPECT_FALSE(Enabled(d.Item(IDC_BROWSE_DESTINATION)));
    Click(d.Item(IDC_CREATE_NEW));
    EXPECT_EQ(Read(d), kStart);
  });
}

TEST_F(PatchDialogTest, EachModelPickFillsItsAddresses) {
  Probe d;
  RunModal(d, [&] {
    for (int i = static_cast<int>(kModelPresets.size()) - 1; i >= 0; --i) {
      Pick(d.Item(IDC_MODEL), i);
      EXPECT_EQ(TextOf(d.Item(IDC_START)), kModelPresets[i].StartText()) << kModelPresets[i].model;
      EXPECT_EQ(TextOf(d.Item(IDC_END)), kModelPresets[i].EndText()) << kModelPresets[i].model;
    }
  });
}

TEST_F(PatchDialogTest, DoPatchesACopyOrRefusesATypoAndSaysSo) {
  const Bytes image = Pattern(0x2000, 1);
  const Bytes transcript = Pattern(0x100, 2);
  WriteBytes(dir / "image.bin", image);
  WriteBytes(dir / "transcript.bin", transcript);
  Probe d;
  app.m_pMainWnd = &d;
  RunModal(d, [&] {
    TypePaths(d, dir / "image.bin");
    Type(d.Item(IDC_START), "1000");
    SeenModal seen = CloseNextModal([&] { Click(d.Item(IDC_DO)); });
    ASSERT_TRUE(seen.opened);
    EXPECT_EQ(seen.caption, "Zarneth done");
    EXPECT_EQ(seen.owner, d.Window());
    EXPECT_EQ(ReadBytes(dir / "patched.bin"),
              Concat({Slice(image, 0, 0x1000), transcript, Slice(image, 0x1100, 0xF00)}));

    Type(d.Item(IDC_START), "1O00");
    seen = CloseNextModal([&] { Click(d.Item(IDC_DO)); });
    EXPECT_EQ(seen.caption, "Can't doing");
    ASSERT_FALSE(seen.texts.empty());
    EXPECT_EQ(seen.texts[0], "Can'n open files!");
    std::string detail;
    for (std::size_t i = 1; i < seen.texts.size(); ++i)
      detail += seen.texts[i] + " ";
    EXPECT_NE(detail.find("is not an address"), std::string::npos) << detail;
  });
  EXPECT_EQ(ReadBytes(dir / "image.bin"), image);
}

// Past the model's block only after Yes: No (the default, so Enter too) returns to the form
// with every file as it was and no result dialog.
TEST_F(PatchDialogTest, ATranscriptPastTheModelsBlockIsWrittenOnlyAfterYes) {
  const Bytes image = Pattern(0x200000, 1);
  const Bytes transcript = Pattern(89156, 2);
  WriteBytes(dir / "image.bin", image);
  WriteBytes(dir / "transcript.bin", transcript);
  Probe d;
  app.m_pMainWnd = &d;
  RunModal(d, [&] {
    TypePaths(d, dir / "image.bin");
    for (const int answer : {IDNO, IDYES}) {
      const auto seen = CloseNextModals([&] { Click(d.Item(IDC_DO)); }, 2,
                                        [&](HWND window, std::size_t index) {
                                          if (index == 0)
                                            ::PostMessageW(window, WM_COMMAND, answer, 0);
                                        });
      ASSERT_FALSE(seen.empty());
      EXPECT_EQ(seen[0].caption, "win32_ui_tests");
      EXPECT_NE(std::find(seen[0].texts.begin(), seen[0].texts.end(),
                          "The transcript (89156 bytes) is longer than the language block of "
                          "V135 (75776 bytes): 13380 bytes after the block, up to 0x1E3443, "
                          "would be overwritten. Write it anyway?"),
                seen[0].texts.end());
      ASSERT_EQ(seen.size(), answer == IDYES ? 2u : 1u);
      EXPECT_EQ(std::filesystem::exists(PathFromUtf8(dir / "patched.bin")), answer == IDYES);
      if (answer == IDYES) {
        EXPECT_EQ(seen[1].caption, "Zarneth done");
      }
    }
  });
  EXPECT_EQ(ReadBytes(dir / "image.bin"), image);
  EXPECT_EQ(ReadBytes(dir / "patched.bin"),
            Concat({Slice(image, 0, 0x1CD800), transcript,
                    Slice(image, 0x1CD800 + 89156, 0x200000 - 0x1CD800 - 89156)}));
}

// A long reason with wide letters: every line of it inside its control, as the system draws
// it in the control's own font, and the system's reason on the last line.
TEST_F(PatchDialogTest, TheFailureDialogShowsAllOfALongReason) {
  std::string wide;
  for (int i = 0; i < 30; ++i)
    wide += "WШ";
  std::filesystem::create_directories(PathFromUtf8(dir / wide));
  Probe d;
  app.m_pMainWnd = &d;
  RunModal(d, [&] {
    TypePaths(d, dir / wide + "\\missing-image.bin");
    std::string reason;
    int widest = 0, width = 0, lines = 0, lineHeight = 0, height = 0;
    CloseNextModal(
        [&] { Click(d.Item(IDC_DO)); },
        [&](HWND window) {
          for (HWND child = ::GetWindow(window, GW_CHILD); child;
               child = ::GetWindow(child, GW_HWNDNEXT)) {
            const std::string text = TextOf(child);
            if (text.find("missing-image") == std::string::npos)
              continue;
            reason = text;
            RECT client{};
            ::GetClientRect(child, &client);
            width = client.right, height = client.bottom;
            const HDC dc = ::GetDC(child);
            const HGDIOBJ old = ::SelectObject(
                dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(child, WM_GETFONT, 0, 0)));
            TEXTMETRICW metrics{};
            ::GetTextMetricsW(dc, &metrics);
            lineHeight = metrics.tmHeight;
            std::size_t from = 0;
            for (;;) {
              const std::size_t end = text.find('\n', from);
              const std::wstring line =
                  WideFromUtf8(text.substr(from, end == std::string::npos ? end : end - from));
              SIZE extent{};
              ::GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
              widest = std::max<int>(widest, extent.cx);
              ++lines;
              if (end == std::string::npos)
                break;
              from = end + 1;
            }
            ::SelectObject(dc, old);
            ::ReleaseDC(child, dc);
          }
        });
    ASSERT_FALSE(reason.empty());
    EXPECT_LE(widest, width) << reason;
    EXPECT_LE(lines * lineHeight, height) << reason;
    std::replace(reason.begin(), reason.end(), '\n', ' ');
    EXPECT_NE(reason.find("missing-image.bin': " + MissingFileText()), std::string::npos) << reason;
    EXPECT_GT(lines, 2);
  });
}

TEST_F(PatchDialogTest, TheSystemMenuOpensTheAboutBox) {
  Probe d;
  RunModal(d, [&] {
    const HMENU menu = ::GetSystemMenu(d.Window(), FALSE);
    const int count = ::GetMenuItemCount(menu);
    ASSERT_GT(count, 2);
    EXPECT_EQ(::GetMenuItemID(menu, count - 1), IDM_ABOUTBOX);
    wchar_t text[64] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(count - 1), text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"&About Zarneth...");
    const SeenModal about =
        CloseNextModal([&] { ::SendMessageW(d.Window(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0); });
    EXPECT_EQ(about.caption, "About Zarneth");
    ASSERT_FALSE(about.texts.empty());
    EXPECT_EQ(about.texts[0], "Zarneth Version 1.0");
  });
}

// Each Browse button opens the system's picker (Open for the inputs, Save As for the
// destination) with the template's filter; cancelled, it leaves the field as it was.
TEST_F(PatchDialogTest, TheSystemsPickersOpenAndACancelLeavesTheField) {
  Probe d;
  RunModal(d, [&] {
    const struct {
      int button;
      int field;
    } browses[] = {{IDC_BROWSE_SOURCE, IDC_SOURCE},
                   {IDC_BROWSE_TRANSCRIPT, IDC_TRANSCRIPT},
                   {IDC_BROWSE_DESTINATION, IDC_DESTINATION}};
    for (const auto& [button, field] : browses) {
      Type(d.Item(field), "kept.bin");
      std::string fileType;
      const SeenModal picker = CloseNextModal([&] { Click(d.Item(button)); },
                                              [&](HWND window) {
                                                // cmb1: the "Files of type" list.
                                                fileType = TextOf(::GetDlgItem(window, 0x470));
                                                ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
                                              });
      ASSERT_TRUE(picker.opened) << "button " << button;
      EXPECT_EQ(picker.caption, button == IDC_BROWSE_DESTINATION ? "Save As" : "Open");
      EXPECT_EQ(fileType, "All Files (*.*)");
      EXPECT_EQ(TextOf(d.Item(field)), "kept.bin");
    }
  });
}

// Each picker starts in the folder of its field's path. (That an empty field starts in the
// folder picked last is the dialog's own logic, tested on the Qt backend.)
TEST_F(PatchDialogTest, PickersStartInTheFolderOfTheirField) {
  Probe d;
  RunModal(d, [&] {
    for (const auto& [button, field, folder] :
         {std::tuple{IDC_BROWSE_SOURCE, IDC_SOURCE, "source"},
          std::tuple{IDC_BROWSE_TRANSCRIPT, IDC_TRANSCRIPT, "transcript"},
          std::tuple{IDC_BROWSE_DESTINATION, IDC_DESTINATION, "destination"}}) {
      std::filesystem::create_directories(PathFromUtf8(dir / folder));
      Type(d.Item(field), dir / folder + "/file.bin");
      std::string shown;
      CloseNextModal([&] { Click(d.Item(button)); },
                     [&](HWND window) {
                       wchar_t path[MAX_PATH] = {};
                       ::SendMessageW(window, CDM_GETFOLDERPATH, MAX_PATH,
                                      reinterpret_cast<LPARAM>(path));
                       shown = Utf8FromWide(path);
                       ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
                     });
      EXPECT_EQ(shown, dir / folder);
    }
  });
}

// A drop as Explorer makes it: a DROPFILES block with the wide paths, sent as WM_DROPFILES.
void DropFile(HWND target, const std::wstring& path) {
  const std::size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
  const HGLOBAL memory = ::GlobalAlloc(GHND, bytes);
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::copy(path.begin(), path.end(), reinterpret_cast<wchar_t*>(drop + 1));
  ::GlobalUnlock(memory);
  ::SendMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

TEST_F(PatchDialogTest, DroppedFilesFillThePathFieldsAndMinimizedItShowsItsIcon) {
  Probe d;
  RunModal(d, [&] {
    for (int id : {IDC_SOURCE, IDC_TRANSCRIPT, IDC_DESTINATION}) {
      DropFile(d.Item(id), L"C:\\firmware\\be4 v135.bin");
      EXPECT_EQ(TextOf(d.Item(id)), "C:\\firmware\\be4 v135.bin") << "control " << id;
    }
    DropFile(d.Item(IDC_START), L"C:\\firmware\\be4 v135.bin");
    EXPECT_EQ(TextOf(d.Item(IDC_START)), "1CD800") << "an address field takes no drop";

    ::SendMessageW(d.Window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(::IsIconic(d.Window()));
    const LRESULT icon = ::SendMessageW(d.Window(), WM_GETICON, ICON_BIG, 0);
    EXPECT_NE(icon, 0);
    EXPECT_EQ(::SendMessageW(d.Window(), WM_QUERYDRAGICON, 0, 0), icon);
  });
}

TEST_F(PatchDialogTest, TabOrderAndGeometryFollowTheTemplate) {
  Probe d;
  RunModal(d, [&] {
    HWND control = d.Item(kMainDialogTabOrder[0]);
    for (int id : kMainDialogTabOrder) {
      EXPECT_EQ(::GetDlgCtrlID(control), id);
      control = ::GetNextDlgTabItem(d.Window(), control, FALSE);
    }
    EXPECT_EQ(control, d.Item(IDC_MODEL)) << "the hidden end address is skipped";

    // Dialog units become pixels the dialog manager's way, through the dialog's font: the
    // position and the size each rounded.
    const struct {
      int id;
      RECT units;  // x, y, width, height
    } placed[] = {{IDC_DO, {297, 139, 50, 14}},
                  {IDC_SOURCE, {124, 51, 161, 14}},
                  {IDC_START, {283, 9, 77, 14}}};
    for (const auto& [id, units] : placed) {
      RECT pixels = units;
      ::MapDialogRect(d.Window(), &pixels);
      const RECT expected{pixels.left, pixels.top, pixels.left + pixels.right,
                          pixels.top + pixels.bottom};
      RECT actual{};
      ::GetWindowRect(d.Item(id), &actual);
      ::MapWindowPoints(nullptr, d.Window(), reinterpret_cast<POINT*>(&actual), 2);
      EXPECT_TRUE(::EqualRect(&expected, &actual)) << "control " << id;
    }
  });
}

}  // namespace
}  // namespace zarneth::test

// The main dialog as a user meets it, on either backend: the form, its toggles and model
// picks, the pickers, drops, tab order and geometry; Do with its result dialogs and the files
// byte for byte; the window menu's About box; the wrapping of a run's detail.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <string_view>
#include <thread>

#include "address_cases.h"
#include "dialog_driver.h"
#include "dialog_probe.h"
#include "dying_run.h"
#include "fault_injection.h"
#include "file_paths.h"
#include "find_block_dialog.h"
#include "model_presets.h"
#include "model_table.h"
#include "operations.h"
#include "platform_files.h"
#include "resource_ids.h"
#include "result_dialog.h"
#include "scoped_environment.h"
#include "speak_english.h"
#include "system_call_hook.h"
#include "temp_dir.h"
#include "win_app.h"
#include "words.h"

namespace zarneth::test {
namespace {

using namespace zarneth::res;

// The form as a user sees it, for comparing after round trips.
struct Form {
  std::string caption, mode, start, end;
  bool transcript, browseTranscript, check, checked, endShown, destination, browseDestination;
  bool operator==(const Form&) const = default;
};

Form Read(const DialogDriver& ui) {
  return {ui.Caption(),
          ui.Text(IDC_MODE),
          ui.Text(IDC_START),
          ui.Text(IDC_END),
          ui.IsEnabled(IDC_TRANSCRIPT),
          ui.IsEnabled(IDC_BROWSE_TRANSCRIPT),
          ui.IsEnabled(IDC_CREATE_NEW),
          ui.IsChecked(IDC_CREATE_NEW),
          ui.IsVisible(IDC_END),
          ui.IsEnabled(IDC_DESTINATION),
          ui.IsEnabled(IDC_BROWSE_DESTINATION)};
}

const Form kStartForm{"Zarneth language for Alcatel BE4 V4.0 - zarneth mode",
                      "Cut mode",
                      "1CD800",
                      "1DFFFF",
                      true,
                      true,
                      true,
                      true,
                      false,
                      true,
                      true};

// The template's order of tab stops; the hidden end address is skipped.
constexpr int kTabOrder[] = {IDC_MODEL,
                             IDC_START,
                             IDC_SOURCE,
                             IDC_TRANSCRIPT,
                             IDC_DESTINATION,
                             IDC_CREATE_NEW,
                             IDC_BROWSE_SOURCE,
                             IDC_BROWSE_TRANSCRIPT,
                             IDC_BROWSE_DESTINATION,
                             IDC_DO,
                             fw::IDCANCEL,
                             IDC_MODE};

// The caption of the program's message boxes, whatever its executable is called.
constexpr const char* kAppCaption = "Zarneth";

bool Has(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

// Do, with its one result dialog (or message box) read and closed with OK.
Modal PressDo(DialogDriver& ui) {
  const std::vector<Modal> seen = ui.Answer([&] { ui.Click(IDC_DO); }, {Reply::Ok});
  return seen.empty() ? Modal{} : seen.front();
}

// Whether the address field keeps a NUL that was typed into it.
bool TypedNulsStay(DialogDriver& ui) {
  ui.Type(IDC_START, std::string("1\0"
                                 "2",
                                 3));
  return ui.Text(IDC_START).size() == 3;
}

// Every case starts with a 2 MiB image and a V135-sized transcript in its own folder.
class DialogTest : public testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(dir / "image.bin", image);
    WriteBytes(dir / "transcript.bin", transcript);
  }
  void Run(const std::function<void(DialogDriver&)>& body) { RunDialog(d, body); }
  void TypePaths(DialogDriver& ui, const std::string& destination = "patched.bin") {
    ui.Type(IDC_SOURCE, dir / "image.bin");
    ui.Type(IDC_TRANSCRIPT, dir / "transcript.bin");
    ui.Type(IDC_DESTINATION, destination.empty() ? "" : dir / destination);
  }
  std::size_t FilesInFolder() const {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(dir.Path()), {}));
  }

  TempDir dir;
  // The user's own model table is this case's, and none until a case writes it.
#ifdef _WIN32
  const ScopedEnvironment config{"APPDATA", dir / "config"};
#else
  const ScopedEnvironment config{"XDG_CONFIG_HOME", dir / "config"};
#endif
  const Bytes image = Pattern(0x200000, 1);
  const Bytes transcript = Pattern(75776, 2);
  DialogProbe d;
};

// Another version's image: the transcript moved to 1C4000 with one byte in 97 changed, in
// other bytes than image.bin's.
Bytes OtherVersion(const Bytes& block) {
  Bytes other = Pattern(0x200000, 3);
  for (std::size_t i = 0; i < block.size(); ++i)
    other[0x1C4000 + i] = i % 97 == 50 ? static_cast<unsigned char>(~block[i]) : block[i];
  return other;
}

// Adds a version to the user's own table, with the fingerprint of `image` where one is given.
void AddVersion(const std::string& name, std::uint32_t start, std::uint32_t end,
                const std::string& image = "") {
  ModelEntry entry{name, start, end, std::nullopt, "", ""};
  if (!image.empty()) {
    const FingerprintResult taken = Fingerprint(image, start, end);
    ASSERT_TRUE(taken.status.ok()) << taken.status.reason;
    entry.fingerprint = ModelFingerprint{taken.size, taken.outside, taken.stock};
  }
  const RunStatus added = AddToModelTable(WithTableFolder(UserModelTablePath()), entry);
  ASSERT_TRUE(added.ok()) << added.reason;
}

// The versions the dialog showed stay out of the next case.
class ModelTableTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    WriteBytes(dir / "other.bin", OtherVersion(transcript));
  }
  void TearDown() override { UseModels(BuiltInModels()); }

  // Finds `block` in the find dialog: Find, then wait for the search's end.
  static void Search(DialogDriver& ui, const std::string& block) {
    ui.Type(IDC_FIND_BLOCK, block);
    ui.Click(IDC_FIND_RUN);
    ASSERT_TRUE(ui.WaitFor([&] { return ui.Text(IDC_FIND_RUN) == "Find"; }));
  }
};

TEST_F(DialogTest, StartsInZarnethModeWithTheFirstModel) {
  Run([&](DialogDriver& ui) {
    EXPECT_EQ(Read(ui), kStartForm);
    // The template's list is the engine's preset table, in its order.
    const std::vector<std::string> items = ui.Items(IDC_MODEL);
    ASSERT_EQ(items.size(), kModelPresets.size());
    for (std::size_t i = 0; i < items.size(); ++i)
      EXPECT_EQ(items[i], kModelPresets[i].model);
    EXPECT_EQ(ui.Selection(IDC_MODEL), 0);
    for (int id : {IDC_SOURCE, IDC_TRANSCRIPT, IDC_DESTINATION})
      EXPECT_EQ(ui.Text(id), "");
    EXPECT_TRUE(ui.HasFocus(IDC_MODEL));
    EXPECT_TRUE(d.m_zarnethMode && ui.IsChecked(IDC_CREATE_NEW));
    EXPECT_TRUE(ui.HasIcon());
  });
}

TEST_F(DialogTest, BothTogglesChangeTheFormAndComeBack) {
  Run([&](DialogDriver& ui) {
    ui.Click(IDC_MODE);
    const Form cut = Read(ui);
    EXPECT_EQ(cut.caption, "Zarneth language for Alcatel BE4 V4.0 - cut mode");
    EXPECT_EQ(cut.mode, "Zarneth mode");
    EXPECT_TRUE(!cut.transcript && !cut.browseTranscript && !cut.check);
    EXPECT_TRUE(cut.endShown && cut.checked && cut.destination && cut.browseDestination);
    EXPECT_FALSE(d.m_zarnethMode);
    ui.Click(IDC_MODE);
    EXPECT_EQ(Read(ui), kStartForm);

    // Create new off: no destination, in Cut mode too, until it is on again.
    ui.Click(IDC_CREATE_NEW);
    EXPECT_FALSE(ui.IsChecked(IDC_CREATE_NEW));
    EXPECT_FALSE(ui.IsEnabled(IDC_DESTINATION) || ui.IsEnabled(IDC_BROWSE_DESTINATION));
    ui.Click(IDC_MODE);
    EXPECT_FALSE(ui.IsEnabled(IDC_DESTINATION) || ui.IsChecked(IDC_CREATE_NEW));
    ui.Click(IDC_MODE);
    ui.Click(IDC_CREATE_NEW);
    EXPECT_EQ(Read(ui), kStartForm);
  });
}

TEST_F(DialogTest, EachModelPickFillsItsAddresses) {
  Run([&](DialogDriver& ui) {
    for (int index : {3, 2, 1, 0, 3}) {
      ui.Pick(IDC_MODEL, index);
      const ModelPreset& preset = kModelPresets[static_cast<std::size_t>(index)];
      EXPECT_EQ(ui.Text(IDC_START), preset.StartText()) << preset.model;
      EXPECT_EQ(ui.Text(IDC_END), preset.EndText()) << preset.model;
      EXPECT_FALSE(ui.IsVisible(IDC_END));
    }
    ui.Click(IDC_MODE);
    ui.Pick(IDC_MODEL, 1);
    EXPECT_EQ(ui.Text(IDC_END), "1DFFFF");
    EXPECT_TRUE(ui.IsVisible(IDC_END));
  });
}

TEST_F(DialogTest, ATypedAddressStaysUntilTheNextPick) {
  Run([&](DialogDriver& ui) {
    ui.Type(IDC_START, "1C0000");
    ui.Click(IDC_MODE);
    ui.Click(IDC_MODE);
    ui.Click(IDC_CREATE_NEW);
    EXPECT_EQ(ui.Text(IDC_START), "1C0000");
    ui.Pick(IDC_MODEL, 2);
    EXPECT_EQ(ui.Text(IDC_START), "1C9800");
  });
}

// Each Browse button opens the system's picker, Open for the inputs and Save As for the
// destination, with the template's filter, in the folder of its field's path; cancelled, it
// leaves the field as it was.
TEST_F(DialogTest, PickersStartInTheirFieldsFolderAndACancelLeavesTheField) {
  Run([&](DialogDriver& ui) {
    const struct {
      int button, field;
      const char* folder;
    } browses[] = {{IDC_BROWSE_SOURCE, IDC_SOURCE, "source"},
                   {IDC_BROWSE_TRANSCRIPT, IDC_TRANSCRIPT, "transcript"},
                   {IDC_BROWSE_DESTINATION, IDC_DESTINATION, "destination"}};
    for (const auto& [button, field, folder] : browses) {
      std::filesystem::create_directories(PathFromUtf8(dir / folder));
      const std::string typed = Utf8FromPath(PathFromUtf8(dir / folder) / "file.bin");
      ui.Type(field, typed);
      const PickerSeen picker = ui.Browse(button);
      ASSERT_TRUE(picker.opened) << folder;
      EXPECT_EQ(picker.saveAs, button == IDC_BROWSE_DESTINATION) << folder;
      EXPECT_EQ(picker.filter, kAllFilesFilter) << folder;
      EXPECT_EQ(PathFromUtf8(picker.folder), PathFromUtf8(dir / folder)) << folder;
      EXPECT_EQ(ui.Text(field), typed) << folder;
    }
  });
}

TEST_F(DialogTest, DroppedFilesFillOnlyThePathFields) {
  const std::string dropped = dir / "be4 v135.bin";
  Run([&](DialogDriver& ui) {
    for (int id : {IDC_SOURCE, IDC_TRANSCRIPT, IDC_DESTINATION}) {
      ui.DropFile(id, dropped);
      EXPECT_EQ(PathFromUtf8(ui.Text(id)), PathFromUtf8(dropped)) << "control " << id;
      ui.Type(id, "");
    }
    ui.DropFile(IDC_START, dropped);
    EXPECT_EQ(ui.Text(IDC_START), "1CD800") << "an address field takes no drop";
    ui.DropFile(0, dropped);
    EXPECT_EQ(ui.Text(IDC_SOURCE), "") << "the dialog elsewhere takes no drop";
  });
}

TEST_F(DialogTest, TabOrderFollowsTheTemplate) {
  Run([&](DialogDriver& ui) {
    for (int id : kTabOrder) {
      EXPECT_TRUE(ui.HasFocus(id)) << "control " << id;
      ui.PressTab();
    }
    EXPECT_TRUE(ui.HasFocus(IDC_MODEL)) << "the hidden end address is skipped";
  });
}

// Dialog units become pixels through the dialog's font, as the dialog manager does it.
TEST_F(DialogTest, GeometryFollowsTheDialogFont) {
  Run([&](DialogDriver& ui) {
    EXPECT_EQ(ui.ClientRect(), ui.UnitsToPixels({0, 0, 367, 178}));
    const struct {
      int id;
      Rect units;
    } placed[] = {{IDC_DO, {297, 139, 50, 14}},
                  {IDC_SOURCE, {124, 51, 161, 14}},
                  {IDC_START, {283, 9, 77, 14}}};
    for (const auto& [id, units] : placed)
      EXPECT_EQ(ui.ControlRect(id), ui.UnitsToPixels(units)) << "control " << id;
    // A drop-down list's template height is its open list's; closed, it is one line.
    const Rect model = ui.ControlRect(IDC_MODEL);
    const Rect modelUnits = ui.UnitsToPixels({127, 28, 75, 78});
    EXPECT_EQ(model.x, modelUnits.x);
    EXPECT_EQ(model.y, modelUnits.y);
    EXPECT_LT(model.height, modelUnits.height);
  });
}

TEST_F(DialogTest, MinimizedItShowsItsIcon) {
  Run([&](DialogDriver& ui) {
    ui.Minimize();
    EXPECT_TRUE(ui.IsMinimized());
    EXPECT_TRUE(d.IsIconic());
    EXPECT_TRUE(ui.HasIcon());
  });
}

TEST_F(DialogTest, TheWindowMenuOpensTheAboutBox) {
  Run([&](DialogDriver& ui) {
    const std::vector<MenuItem> menu = ui.WindowMenu();
    ASSERT_GT(menu.size(), 3u);
    // The separator, About, then ours: finding the block.
    EXPECT_TRUE(menu[menu.size() - 3].separator);
    EXPECT_EQ(menu[menu.size() - 2].id, IDM_ABOUTBOX);
    EXPECT_EQ(menu[menu.size() - 2].text, "&About Zarneth...");
    EXPECT_EQ(menu.back().id, IDM_FINDBLOCK);
    const auto find = ui.Answer([&] { ui.ChooseFromWindowMenu(IDM_FINDBLOCK); }, {Reply::Escape});
    ASSERT_EQ(find.size(), 1u);
    EXPECT_EQ(find[0].caption, "Find the block");
    EXPECT_TRUE(find[0].ownedByDialog);
    const auto about = ui.Answer([&] { ui.ChooseFromWindowMenu(IDM_ABOUTBOX); }, {Reply::Ok});
    ASSERT_EQ(about.size(), 1u);
    EXPECT_EQ(about[0].caption, "About Zarneth");
    EXPECT_EQ(about[0].texts,
              (std::vector<std::string>{"Zarneth Version 1.0", "(C) 2026 Zarneth developers"}));
    EXPECT_TRUE(about[0].showsIcon);
  });
}

TEST_F(DialogTest, EmptyFieldsShowTheFailureDialogInEitherMode) {
  Run([&](DialogDriver& ui) {
    for (int round = 0; round < 2; ++round) {
      const Modal seen = PressDo(ui);
      EXPECT_EQ(seen.caption, "Can't doing");
      EXPECT_EQ(seen.texts,
                (std::vector<std::string>{"Can'n open files!", "Reason: no source file given."}));
      EXPECT_TRUE(seen.ownedByDialog);  // the main window waits for it
      ui.Click(IDC_MODE);
    }
  });
  EXPECT_EQ(FilesInFolder(), 2u);
}

// In the user's language the design's own words stay as they are, and the reason below them
// is the user's.
TEST_F(DialogTest, TheDesignsWordsStayAndTheReasonIsInTheUsersLanguage) {
  struct Row {
    const char* language;
    const char* reason;
  };
  const Row rows[] = {{"de", "Grund: keine Quelldatei angegeben."},
                      {"fr", "Raison : aucun fichier source indiqué."},
                      {"ru", "Причина: не указан исходный файл."}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.language);
    {
      const ScopedEnvironment locale("LC_ALL", "C.UTF-8");
      const ScopedEnvironment language("LANGUAGE", row.language);
      UseUserLanguage();
      Run([&](DialogDriver& ui) {
        const Modal seen = PressDo(ui);
        EXPECT_EQ(seen.caption, "Can't doing");
        EXPECT_EQ(seen.texts, (std::vector<std::string>{"Can'n open files!", row.reason}));
        EXPECT_EQ(Read(ui), kStartForm);
      });
    }
    SpeakEnglish();
  }
}

TEST_F(DialogTest, PatchesThroughTheFormInBothVariants) {
  const Bytes patched = Concat({Slice(image, 0, 0x1C7800), transcript,
                                Slice(image, 0x1C7800 + 75776, 0x200000 - 0x1C7800 - 75776)});
  Run([&](DialogDriver& ui) {
    TypePaths(ui);
    ui.Type(IDC_START, "1c7800");
    Modal seen = PressDo(ui);
    EXPECT_EQ(seen.caption, "Zarneth done");
    ASSERT_EQ(seen.texts.size(), 2u);
    EXPECT_EQ(seen.texts[0], "Zarneth done.");
    // What the run did, in zarneth-cli's words.
    EXPECT_TRUE(
        seen.texts[1].starts_with("Result: wrote '") &&
        seen.texts[1].ends_with("transcript.bin' at 0x1C7800, CRC-32 " + CrcOf(transcript) + "."))
        << seen.texts[1];
    EXPECT_TRUE(seen.ownedByDialog);
    EXPECT_EQ(ReadBytes(dir / "patched.bin"), patched);
    EXPECT_EQ(ReadBytes(dir / "image.bin"), image);

    // The form is unchanged by a run; in place, the same form changes the image itself.
    EXPECT_EQ(ui.Text(IDC_START), "1c7800");
    ui.Click(IDC_CREATE_NEW);
    EXPECT_EQ(PressDo(ui).caption, "Zarneth done");
    EXPECT_EQ(ReadBytes(dir / "image.bin"), patched);
  });
}

TEST_F(DialogTest, InPlaceNeedsNoDestination) {
  Run([&](DialogDriver& ui) {
    TypePaths(ui, "");
    ui.Click(IDC_CREATE_NEW);
    EXPECT_EQ(PressDo(ui).caption, "Zarneth done");
  });
  EXPECT_EQ(Slice(ReadBytes(dir / "image.bin"), 0x1CD800, 75776), transcript);
}

TEST_F(DialogTest, CutWritesTheRangeOrFailsWithoutADestination) {
  Run([&](DialogDriver& ui) {
    ui.Click(IDC_MODE);
    ui.Pick(IDC_MODEL, 3);  // V138: longer than one buffer
    ui.Type(IDC_SOURCE, dir / "image.bin");
    EXPECT_EQ(PressDo(ui).caption, "Can't doing");
    ui.Type(IDC_DESTINATION, dir / "block.bin");
    const Modal seen = PressDo(ui);
    ASSERT_EQ(seen.texts.size(), 2u);
    EXPECT_EQ(seen.texts[0], "Zarneth done.");
    EXPECT_TRUE(seen.texts[1].starts_with("Result: cut 89156 bytes (0x1C7800 to 0x1DD443) of '"))
        << seen.texts[1];
  });
  EXPECT_EQ(ReadBytes(dir / "block.bin"), Slice(image, 0x1C7800, 89156));
}

// Past the model's block only after Yes: No, the default button, returns to the form with
// every file as it was and no result dialog.
TEST_F(DialogTest, ATranscriptPastTheModelsBlockIsWrittenOnlyAfterYes) {
  const Bytes longer = Pattern(89156, 3);  // a V138 block, for V135's place
  WriteBytes(dir / "transcript.bin", longer);
  const Bytes patched = Concat({Slice(image, 0, 0x1CD800), longer,
                                Slice(image, 0x1CD800 + 89156, 0x200000 - 0x1CD800 - 89156)});
  for (const bool inPlace : {false, true}) {
    for (const Reply reply : {Reply::DefaultButton, Reply::Escape, Reply::Yes}) {
      const bool yes = reply == Reply::Yes;
      SCOPED_TRACE(std::string(inPlace ? "in place" : "patched copy") +
                   (yes                             ? ", Yes"
                    : reply == Reply::DefaultButton ? ", Enter"
                                                    : ", Escape"));
      WriteBytes(dir / "image.bin", image);
      std::filesystem::remove(PathFromUtf8(dir / "patched.bin"));
      DialogProbe dialog;
      RunDialog(dialog, [&](DialogDriver& ui) {
        TypePaths(ui);
        if (inPlace)
          ui.Click(IDC_CREATE_NEW);
        const auto seen = ui.Answer([&] { ui.Click(IDC_DO); }, {reply, Reply::Ok});
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_EQ(seen[0].caption, kAppCaption);
        EXPECT_EQ(seen[0].texts,
                  std::vector<std::string>{
                      "The transcript (89156 bytes) is longer than the language block of V135 "
                      "(75776 bytes): 13380 bytes after the block, up to 0x1E3443, would be "
                      "overwritten. Write it anyway?"});
        // Done, or refused in so many words: nothing was written.
        EXPECT_EQ(seen[1].caption, yes ? "Zarneth done" : "Can't doing");
        if (!yes) {
          EXPECT_TRUE(seen[1].texts.back().ends_with("would be overwritten. Nothing was written."))
              << seen[1].texts.back();
        }
      });
      EXPECT_EQ(ReadBytes(dir / "image.bin"), inPlace && yes ? patched : image);
      EXPECT_EQ(std::filesystem::exists(PathFromUtf8(dir / "patched.bin")), !inPlace && yes);
      if (!inPlace && yes) {
        EXPECT_EQ(ReadBytes(dir / "patched.bin"), patched);
      }
    }
  }
}

TEST_F(DialogTest, AFileErrorIsReportedAndTheFormStaysUsable) {
  Run([&](DialogDriver& ui) {
    TypePaths(ui);
    ui.Click(IDC_CREATE_NEW);
    Modal seen;
    {
      // The disk refuses to sync the new image: the old one stays, and the run reports.
      ScopedFaults faults;
      faults.FailSync(1);
      seen = PressDo(ui);
    }
    EXPECT_EQ(seen.caption, kAppCaption);
    ASSERT_EQ(seen.texts.size(), 1u);
    EXPECT_TRUE(seen.texts[0].starts_with("The command stopped: cannot sync file"))
        << seen.texts[0];
    EXPECT_EQ(ReadBytes(dir / "image.bin"), image);
    // The run's files were closed: the next run on the same image succeeds.
    EXPECT_EQ(PressDo(ui).caption, "Zarneth done");
  });
  EXPECT_NE(ReadBytes(dir / "image.bin"), image);
  EXPECT_EQ(FilesInFolder(), 2u);
}

TEST_F(DialogTest, AKilledRunLeavesTheImageAndAnUnconfirmedRunSaysSo) {
  PatchInPlace killed;
  killed.sourcePath = dir / "image.bin";
  killed.transcriptPath = dir / "transcript.bin";
  killed.at.startText = "1000";
  ASSERT_TRUE(RunDyingAt(killed, kSyncCallName, 1));  // the new image written, not in place
  EXPECT_EQ(ReadBytes(dir / "image.bin"), image);
  Run([&](DialogDriver& ui) {
    TypePaths(ui);
    ui.Click(IDC_CREATE_NEW);
    Modal seen;
    {
      // The folder's sync after the rename fails: the image is new, the dialog says so.
      ScopedFaults faults;
      faults.FailSync(2);
      seen = PressDo(ui);
    }
    EXPECT_EQ(seen.caption, "Zarneth done");
    ASSERT_EQ(seen.texts.size(), 2u);
    EXPECT_EQ(seen.texts[0], "Zarneth done.");
    EXPECT_TRUE(seen.texts[1].starts_with("Result: patched '") &&
                Has(seen.texts[1], "at 0x1CD800, CRC-32 0x") &&
                Has(seen.texts[1], "Warning: the new content is in place in '") &&
                Has(seen.texts[1], "did not confirm that it is on the disk"))
        << seen.texts[1];
  });
  EXPECT_NE(ReadBytes(dir / "image.bin"), image);
}

TEST_F(DialogTest, AddressesFollowTheEnginesOneRule) {
  WriteBytes(dir / "transcript.bin", Pattern(16, 2));
  Run([&](DialogDriver& ui) {
    TypePaths(ui);
    ui.Click(IDC_CREATE_NEW);
    for (const AddressCase& c : AddressCases()) {
      SCOPED_TRACE(c.name);
      // A system's edit control ends its text at a NUL: no user can type one there.
      if (c.text.find('\0') != std::string::npos && !TypedNulsStay(ui))
        continue;
      const bool inside = c.value && std::uint64_t{*c.value} + 16 <= image.size();
      WriteBytes(dir / "image.bin", image);
      ui.Type(IDC_START, c.text);
      const Modal seen = PressDo(ui);
      EXPECT_EQ(seen.caption, inside ? "Zarneth done" : "Can't doing");
      const std::string why = seen.texts.size() > 1 ? seen.texts[1] : "";
      const bool blank = c.text.find_first_not_of(" \t") == std::string::npos;
      if (!c.value) {
        EXPECT_TRUE(Has(why, blank ? "Reason: the start address is empty" : "is not an address"))
            << why;
      } else if (!inside) {
        EXPECT_TRUE(Has(why, "runs past the end of source file")) << why;
      }
      EXPECT_EQ(ReadBytes(dir / "image.bin") == image, !inside);
    }
  });
}

// A long reason in wide letters: every line inside its control, as the backend measures it
// in the control's font, all lines within its height, the OK button below it, and the
// system's reason at the end.
TEST_F(DialogTest, TheFailureDialogShowsAllOfALongReason) {
  std::string wide;
  for (int i = 0; i < 30; ++i)
    wide += "WШ";
  const std::string deep = dir / wide;
  std::filesystem::create_directory(PathFromUtf8(deep));
  Run([&](DialogDriver& ui) {
    TypePaths(ui);
    ui.Type(IDC_SOURCE, Utf8FromPath(PathFromUtf8(deep) / "missing-image.bin"));
    const TextLayout layout = ui.LayoutOf([&] { ui.Click(IDC_DO); }, "missing-image");
    ASSERT_FALSE(layout.text.empty());
    EXPECT_GT(layout.lines, 2) << layout.text;
    EXPECT_LE(layout.widestLine, layout.control.width) << layout.text;
    EXPECT_LE(layout.lines * layout.lineHeight, layout.control.height + layout.lineHeight / 2)
        << layout.text;
    EXPECT_TRUE(layout.client.Contains(layout.control) && layout.client.Contains(layout.button));
    EXPECT_GE(layout.button.y, layout.control.y + layout.control.height);
    std::string joined = layout.text;
    std::replace(joined.begin(), joined.end(), '\n', ' ');
    EXPECT_TRUE(joined.ends_with("missing-image.bin' for reading: " + MissingFileText() + "."))
        << joined;
  });
}

// The user's versions follow the built-in four; an image the fingerprints know chooses its
// version, and Do with a version the image is not is refused before anything is written.
TEST_F(ModelTableTest, TheUsersVersionsFollowTheFourAndAnImageChoosesItsOwn) {
  AddVersion("V139", 0x1C4000, 0x1D67FF, dir / "other.bin");
  AddVersion("V140", 0x100000, 0x10FFFF);
  Run([&](DialogDriver& ui) {
    EXPECT_EQ(ui.Items(IDC_MODEL),
              (std::vector<std::string>{"V135", "V136", "V137", "V138", "V139", "V140"}));
    ui.Pick(IDC_MODEL, 5);
    EXPECT_EQ(ui.Text(IDC_START), "100000");
    EXPECT_EQ(ui.Text(IDC_END), "10FFFF");
    ui.Type(IDC_SOURCE, dir / "image.bin");
    EXPECT_EQ(ui.Selection(IDC_MODEL), 5) << "an image of no version moves nothing";
    ui.Type(IDC_SOURCE, dir / "other.bin");
    EXPECT_EQ(ui.Selection(IDC_MODEL), 4);
    EXPECT_EQ(ui.Text(IDC_START), "1C4000");
    TypePaths(ui);  // image.bin, which is no V139
    const Modal seen = PressDo(ui);
    EXPECT_EQ(seen.caption, "Can't doing");
    ASSERT_EQ(seen.texts.size(), 2u);
    EXPECT_TRUE(Has(seen.texts[1], "V139")) << seen.texts[1];
  });
  EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(dir / "patched.bin")));
}

// The find dialog: a block found nowhere says so; one found gives the place with what
// differs, whose addresses Use hands back, or which Keep adds to the user's table as a
// version that the image is.
TEST_F(ModelTableTest, AFoundBlockGivesItsAddressesOrBecomesAVersion) {
  WriteBytes(dir / "random.blk", Pattern(4096, 9));
  CFindBlockDialog use(dir / "other.bin", UserModelTablePath());
  EXPECT_EQ(
      RunDialog(
          use,
          [&](DialogDriver& ui) {
            EXPECT_FALSE(ui.IsEnabled(IDC_FIND_USE));
            Search(ui, dir / "random.blk");
            EXPECT_TRUE(ui.Text(IDC_FIND_STATUS).starts_with("No place"))
                << ui.Text(IDC_FIND_STATUS);
            EXPECT_TRUE(ui.Items(IDC_FIND_PLACES).empty());
            Search(ui, dir / "missing.blk");
            EXPECT_TRUE(ui.Text(IDC_FIND_STATUS).starts_with("The search failed: cannot open "))
                << ui.Text(IDC_FIND_STATUS);
            Search(ui, dir / "transcript.bin");
            const std::vector<std::string> places = ui.Items(IDC_FIND_PLACES);
            ASSERT_FALSE(places.empty());
            EXPECT_TRUE(places[0].starts_with("1C4000 to 1D67FF: 9")) << places[0];
            EXPECT_TRUE(Has(ui.Text(IDC_FIND_DETAIL), "ranges of the block differ"))
                << ui.Text(IDC_FIND_DETAIL);
            ui.Click(IDC_FIND_USE);
          }),
      fw::IDOK);
  ASSERT_TRUE(use.Chosen());
  EXPECT_EQ(use.Chosen()->start, 0x1C4000u);
  EXPECT_EQ(use.Chosen()->end, 0x1D67FFu);
  EXPECT_EQ(use.Chosen()->keptAs, "");

  CFindBlockDialog keep(dir / "other.bin", UserModelTablePath());
  EXPECT_EQ(RunDialog(keep,
                      [&](DialogDriver& ui) {
                        Search(ui, dir / "transcript.bin");
                        ui.Type(IDC_FIND_NAME, "v135");
                        ui.Click(IDC_FIND_KEEP);
                        EXPECT_TRUE(Has(ui.Text(IDC_FIND_STATUS), "already"));
                        ui.Type(IDC_FIND_NAME, "V139");
                        ui.Click(IDC_FIND_KEEP);
                      }),
            fw::IDOK);
  ASSERT_TRUE(keep.Chosen());
  EXPECT_EQ(keep.Chosen()->keptAs, "V139");
  ASSERT_FALSE(UseModelTables());
  EXPECT_TRUE(CheckImageIsModel(dir / "other.bin", "V139").ok());
  EXPECT_EQ(CheckImageIsModel(dir / "image.bin", "V139").refusal, Refusal::OtherVersion);
}

// While set, every read of a file waits: a search stands still until the test lets it go.
std::atomic<bool> readsHeld = false;
int HoldReads(const char* call) {
  const std::string_view name(call);
  if (name == "pread" || name == "ReadFile") {
    while (readsHeld)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return 0;
}

// Cancel stops a search and says so; the dialog goes on. The search's reads are held until
// Cancel was pressed, so that it comes mid-search however fast or busy the machine is.
TEST_F(ModelTableTest, CancelStopsASearch) {
  WriteBytes(dir / "large.bin", Pattern(32 << 20, 4));
  CFindBlockDialog find(dir / "large.bin", UserModelTablePath());
  RunDialog(find, [&](DialogDriver& ui) {
    ui.Type(IDC_FIND_BLOCK, dir / "transcript.bin");
    readsHeld = true;
    SetSystemCallHook(&HoldReads);
    ui.Click(IDC_FIND_RUN);
    EXPECT_EQ(ui.Text(IDC_FIND_RUN), "Cancel");
    ui.Click(IDC_FIND_RUN);
    readsHeld = false;
    ASSERT_TRUE(ui.WaitFor([&] { return ui.Text(IDC_FIND_RUN) == "Find"; }));
    SetSystemCallHook(nullptr);
    EXPECT_EQ(ui.Text(IDC_FIND_STATUS), "The search was cancelled.");
  });
  SetSystemCallHook(nullptr);
  EXPECT_FALSE(find.Chosen());
}

// A run's detail in lines, one unit a character whatever its bytes.
TEST(ResultDetailTest, WrapsAtSpacesThenPathsThenAnywhere) {
  const TextWidth characters = [](std::string_view part) {
    int count = 0;
    for (const unsigned char c : part)
      count += (c & 0xC0) != 0x80;
    return count;
  };
  const struct {
    const char* name;
    std::string text;
    int columns;
    std::vector<std::string> lines;
  } rows[] = {
      {"fits", "no source file given", 40, {"no source file given"}},
      {"at spaces", "the file is in use", 8, {"the file", "is in", "use"}},
      {"a path at its slashes",
       "file /home/user/images/be4.bin: gone",
       12,
       {"file", "/home/user/", "images/", "be4.bin:", "gone"}},
      {"a word without slashes", "abcdefghij", 4, {"abcd", "efgh", "ij"}},
      {"too many lines elide the middle", "a b c d e f g", 1, {"a", "b", "c", "...", "g"}},
      {"a Windows path at its backslashes",
       "file C:\\Users\\me\\be4.bin",
       9,
       {"file", "C:\\Users\\", "me\\", "be4.bin"}},
      {"wide letters stay whole", "файл\u00fc", 2, {"фа", "йл", "\u00fc"}},
  };
  for (const auto& row : rows)
    EXPECT_EQ(WrapDetail(row.text, row.columns, 5, characters), row.lines) << row.name;
}

}  // namespace
}  // namespace zarneth::test

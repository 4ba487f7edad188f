// The program's dialog templates, string table and pictures, as data.
#include <string>
#include <vector>

#include "embedded_pictures.h"
#include "model_presets.h"
#include "resource_ids.h"
#include "resource_registry.h"
#include "resources.h"
#include "version_record.h"
#include "win_types.h"
#include "words.h"

namespace zarneth::res {
namespace {

using namespace zarneth::fw;

constexpr unsigned kChild = WS_VISIBLE;
constexpr unsigned kPopupDialog = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
constexpr const char* kFont = kDialogFont;

ControlTemplate Button(int id, const char* text, int x, int y, int cx, int cy,
                       unsigned style = BS_PUSHBUTTON | WS_TABSTOP) {
  return {id, ControlClass::Button, text, x, y, cx, cy, kChild | style, 0, 0, {}};
}

ControlTemplate Edit(int id, int x, int y, int cx, int cy, unsigned style, bool visible = true) {
  return {id, ControlClass::Edit,
          "", x,
          y,  cx,
          cy, (visible ? kChild : 0u) | style | WS_BORDER | WS_TABSTOP,
          0,  0,
          {}};
}

ControlTemplate Text(const char* text, int x, int y, int cx, int cy, unsigned style) {
  return {IDC_STATIC, ControlClass::Static, text, x, y, cx, cy, kChild | style, 0, 0, {}};
}

ControlTemplate Picture(unsigned kind, int imageId, int x, int y, int cx, int cy,
                        unsigned exStyle = 0) {
  return {IDC_STATIC, ControlClass::Static, "", x, y, cx, cy, kChild | kind, exStyle, imageId, {}};
}

// The model list's items: the engine's preset table, whose order is the list's.
std::vector<std::string> ModelListItems() {
  std::vector<std::string> items;
  for (const ModelPreset& preset : kModelPresets)
    items.emplace_back(preset.model);
  return items;
}

DialogTemplate MainDialog() {
  return {
      IDD_ZARNETH_DIALOG,
      kMainCaption,
      367,
      178,
      kPopupDialog | WS_VISIBLE | WS_MINIMIZEBOX,
      WS_EX_APPWINDOW,
      kFont,
      8,
      {
          {IDC_MODEL, ControlClass::ComboBox, "", 127, 28, 75, 78,
           kChild | CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP, 0, 0, ModelListItems()},
          Edit(IDC_START, 283, 9, 77, 14, ES_RIGHT | ES_AUTOHSCROLL),
          Edit(IDC_SOURCE, 124, 51, 161, 14, ES_AUTOHSCROLL),
          Edit(IDC_TRANSCRIPT, 124, 81, 161, 14, ES_AUTOHSCROLL),
          Edit(IDC_DESTINATION, 124, 111, 161, 14, ES_AUTOHSCROLL),
          Button(IDC_CREATE_NEW, "Create new file", 147, 136, 116, 10,
                 BS_AUTOCHECKBOX | WS_TABSTOP),
          Button(IDC_BROWSE_SOURCE, "Browse...", 297, 51, 50, 14),
          Button(IDC_BROWSE_TRANSCRIPT, "Browse...", 297, 81, 50, 14),
          Button(IDC_BROWSE_DESTINATION, "Browse...", 297, 111, 50, 14),
          Button(IDC_DO, "Do", 297, 139, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP),
          Button(IDCANCEL, "Exit", 7, 157, 50, 14),
          Text("Transcript file:", 55, 84, 64, 8, SS_RIGHT),
          Text("Source file:", 57, 54, 62, 8, SS_RIGHT),
          Text("Destination file:", 58, 114, 61, 8, SS_RIGHT),
          Text("Start address:", 205, 12, 67, 8, SS_RIGHT),
          Text("Model:", 77, 30, 47, 8, SS_RIGHT),
          Text(version::kShortCopyright, 200, 167, 123, 8, SS_LEFT),
          Button(IDC_MODE, "Cut mode", 7, 7, 55, 14),
          Edit(IDC_END, 283, 27, 77, 14, ES_RIGHT | ES_AUTOHSCROLL, /*visible=*/false),
          Text("End address:", 205, 30, 67, 8, SS_RIGHT),
          Picture(SS_BITMAP, IDB_WORDMARK, 132, 7, 65, 16),
          Picture(SS_BITMAP, IDB_HANDSET, 7, 33, 47, 111, WS_EX_TRANSPARENT),
          Text("Keep a copy of every image before you patch it.", 123, 156, 190, 8, SS_LEFT),
      }};
}

DialogTemplate AboutBox() {
  return {IDD_ABOUTBOX,
          "About Zarneth",
          235,
          55,
          kPopupDialog,
          0,
          kFont,
          8,
          {
              Picture(SS_ICON, IDR_MAINFRAME, 11, 17, 20, 20),
              Text(version::kAboutVersion, 40, 10, 119, 8, SS_LEFT | SS_NOPREFIX | WS_GROUP),
              Text(version::kShortCopyright, 40, 25, 119, 8, SS_LEFT | WS_GROUP),
              Button(IDOK, "OK", 178, 7, 50, 14, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP),
          }};
}

// The two result dialogs: a centred line of text and an OK button.
DialogTemplate ResultDialog(int id, const char* caption, int cx, int cy, const char* text,
                            int textX, int textY, int okX, int okY) {
  return {id,
          caption,
          cx,
          cy,
          kPopupDialog,
          0,
          kFont,
          8,
          {
              Text(text, textX, textY, 125, 8, SS_CENTER),
              Button(IDOK, "OK", okX, okY, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP),
          }};
}

}  // namespace

DialogTemplate FindBlockTemplate() {
  // The labels' column is as wide as the main dialog's; texts are ours, so translated.
  return {IDD_FIND_BLOCK,
          Tr("Find the block"),
          281,
          172,
          kPopupDialog | WS_VISIBLE,
          0,
          kFont,
          8,
          {
              Text(Tr("Known block:"), 4, 10, 60, 8, SS_RIGHT),
              Edit(IDC_FIND_BLOCK, 68, 7, 149, 14, ES_AUTOHSCROLL),
              Button(IDC_FIND_BROWSE, Tr("Browse..."), 224, 7, 50, 14),
              Text(Tr("Image:"), 4, 28, 60, 8, SS_RIGHT),
              {IDC_FIND_IMAGE,
               ControlClass::Static,
               "",
               68,
               28,
               206,
               8,
               kChild | SS_LEFT | SS_NOPREFIX,
               0,
               0,
               {}},
              Button(IDC_FIND_RUN, Tr("Find"), 224, 43, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP),
              {IDC_FIND_STATUS,
               ControlClass::Static,
               "",
               68,
               43,
               150,
               24,
               kChild | SS_LEFT | SS_NOPREFIX,
               0,
               0,
               {}},
              Text(Tr("Places:"), 4, 74, 60, 8, SS_RIGHT),
              {IDC_FIND_PLACES,
               ControlClass::ComboBox,
               "",
               68,
               72,
               206,
               90,
               kChild | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
               0,
               0,
               {}},
              {IDC_FIND_DETAIL,
               ControlClass::Static,
               "",
               68,
               90,
               206,
               24,
               kChild | SS_LEFT | SS_NOPREFIX,
               0,
               0,
               {}},
              Button(IDC_FIND_USE, Tr("Use these addresses"), 68, 116, 100, 14),
              Text(Tr("Version name:"), 4, 137, 60, 8, SS_RIGHT),
              Edit(IDC_FIND_NAME, 68, 134, 100, 14, ES_AUTOHSCROLL),
              Button(IDC_FIND_KEEP, Tr("Keep as version"), 174, 134, 100, 14),
              Button(IDCANCEL, Tr("Close"), 224, 152, 50, 14),
          }};
}

void RegisterResources() {
  RegisterDialogTemplate(MainDialog());
  RegisterDialogTemplate(AboutBox());
  RegisterDialogTemplate(
      ResultDialog(IDD_FAILED, "Can't doing", 163, 63, "Can'n open files!", 19, 18, 57, 42));
  RegisterDialogTemplate(
      ResultDialog(IDD_DONE, "Zarneth done", 186, 66, "Zarneth done.", 30, 21, 67, 45));
  RegisterString(IDS_ABOUTBOX, "&About Zarneth...");
  EmbedPictures();
  RegisterPicture(IDR_MAINFRAME, ":/pictures/icon_128.ico");
  RegisterPicture(IDB_WORDMARK, ":/pictures/bitmap_132.bmp");
  RegisterPicture(IDB_HANDSET, ":/pictures/bitmap_133.bmp");
}

}  // namespace zarneth::res

#pragma once

#include <string>
#include <vector>

// The program's resources as data: dialog templates, strings and pictures, looked up by
// number. The resource module registers them at start; dialogs and controls read them here.
namespace zarneth::fw {

enum class ControlClass { Button, Edit, Static, ComboBox };

inline constexpr int IDC_STATIC = -1;

// One control of a template. Position and size are in dialog units.
struct ControlTemplate {
  int id = IDC_STATIC;
  ControlClass kind = ControlClass::Static;
  std::string text;
  int x = 0, y = 0, cx = 0, cy = 0;
  unsigned style = 0;
  unsigned exStyle = 0;
  int imageId = 0;                 // SS_ICON / SS_BITMAP statics: the picture's number
  std::vector<std::string> items;  // combo boxes: the initial list
};

// The face the program's dialogs are laid out in, and the one a template without a face of
// its own gets.
inline constexpr const char* kDialogFont = "MS Sans Serif";

// A dialog: caption, client size in dialog units, styles, font and controls in tab order.
struct DialogTemplate {
  int id = 0;
  std::string caption;
  int cx = 0, cy = 0;
  unsigned style = 0;
  unsigned exStyle = 0;
  std::string fontName;
  int pointSize = 8;
  std::vector<ControlTemplate> controls;

  const char* FaceName() const { return fontName.empty() ? kDialogFont : fontName.c_str(); }
};

void RegisterDialogTemplate(DialogTemplate dialogTemplate);
const DialogTemplate* FindDialogTemplate(int id);

void RegisterString(int id, std::string text);
// The registered string, or an empty one.
std::string LoadString(int id);

// Where the backend finds a picture: a Qt resource path such as ":/pictures/icon_128.ico".
// The Win32 backend takes pictures by number from the executable's resources instead.
void RegisterPicture(int id, std::string path);

}  // namespace zarneth::fw

#include "file_pick.h"

#include <string>

#include "win_types.h"

namespace zarneth {

void BrowseInto(fw::FilePicker kind, fw::CEdit& target) {
  static std::string lastFolder;
  const std::string current = target.GetWindowText();
  fw::CFileDialog picker(kind, nullptr, current.empty() ? nullptr : current.c_str(),
                         fw::OFN_HIDEREADONLY | fw::OFN_OVERWRITEPROMPT, "All Files (*.*)|*.*||",
                         nullptr);
  if (current.empty())
    picker.SetInitialFolder(lastFolder);
  if (picker.DoModal() != fw::IDOK)
    return;
  target.SetWindowText(picker.GetPathName());
  lastFolder = picker.GetFolderPath();
}

}  // namespace zarneth

#pragma once

#include <string>

#include "win_types.h"

namespace zarneth::fw {

class CWnd;

// Which of the two pickers a CFileDialog is.
enum class FilePicker { Open, SaveAs };

// The Open and Save As pickers. The filter is written "Description|patterns|...||"; "*.*"
// means every file, also names without a dot.
class CFileDialog {
 public:
  CFileDialog(FilePicker picker, const char* defaultExtension = nullptr,
              const char* fileName = nullptr,
              unsigned flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
              CWnd* parent = nullptr);

  // The folder the picker starts in when it was given no file name with a folder of its
  // own; empty: where the system's picker starts by itself.
  void SetInitialFolder(const std::string& folder) { m_initialFolder = folder; }

  // IDOK with a chosen path, or IDCANCEL.
  int DoModal();
  std::string GetPathName() const { return m_pathName; }
  // The folder of the chosen path.
  std::string GetFolderPath() const;

 private:
  bool m_open;
  std::string m_defaultExtension;
  std::string m_fileName;
  unsigned m_flags;
  std::string m_filter;
  std::string m_initialFolder;
  CWnd* m_parent;
  std::string m_pathName;
};

}  // namespace zarneth::fw

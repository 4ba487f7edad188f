#pragma once

#include <string>

#include "win_types.h"

namespace zarneth::fw {

class CWnd;

// The Open and Save As pickers. The filter is written "Description|patterns|...||"; "*.*"
// means every file, also names without a dot.
class CFileDialog {
 public:
  CFileDialog(bool openFileDialog, const char* defaultExtension = nullptr,
              const char* fileName = nullptr,
              unsigned flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
              CWnd* parent = nullptr);

  // IDOK with a chosen path, or IDCANCEL.
  int DoModal();
  std::string GetPathName() const { return m_pathName; }

 private:
  bool m_open;
  std::string m_defaultExtension;
  std::string m_fileName;
  unsigned m_flags;
  std::string m_filter;
  CWnd* m_parent;
  std::string m_pathName;
};

}  // namespace zarneth::fw

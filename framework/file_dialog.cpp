#include "file_dialog.h"

namespace zarneth::fw {

CFileDialog::CFileDialog(bool openFileDialog, const char* defaultExtension, const char* fileName,
                         unsigned flags, const char* filter, CWnd* parent)
    : m_open(openFileDialog),
      m_defaultExtension(defaultExtension ? defaultExtension : ""),
      m_fileName(fileName ? fileName : ""),
      m_flags(flags),
      m_filter(filter ? filter : ""),
      m_parent(parent) {}

}  // namespace zarneth::fw

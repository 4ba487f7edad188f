#include "file_dialog.h"

namespace zarneth::fw {

CFileDialog::CFileDialog(FilePicker picker, const char* defaultExtension, const char* fileName,
                         unsigned flags, const char* filter, CWnd* parent)
    : m_open(picker == FilePicker::Open),
      m_defaultExtension(defaultExtension ? defaultExtension : ""),
      m_fileName(fileName ? fileName : ""),
      m_flags(flags),
      m_filter(filter ? filter : ""),
      m_parent(parent) {}

}  // namespace zarneth::fw

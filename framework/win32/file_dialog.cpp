// The system's Open and Save As pickers.
#include "file_dialog.h"

#include "wide_text.h"
#include "win32_window.h"

namespace zarneth::fw {

int CFileDialog::DoModal() {
  // The filter's '|' separators become the NULs the system wants.
  std::wstring filter = WideFromUtf8(m_filter);
  for (wchar_t& c : filter) {
    if (c == L'|')
      c = L'\0';
  }
  filter.push_back(L'\0');
  // The picker reads a name with '/' as a name in the folder it shows ("Z:/home/fw.bin"
  // becomes "fwfw.bin" there): the separators go in as Windows writes them.
  const auto backslashed = [](std::wstring path) {
    for (wchar_t& c : path) {
      if (c == L'/')
        c = L'\\';
    }
    return path;
  };
  std::wstring file = backslashed(WideFromUtf8(m_fileName));
  file.resize(32768, L'\0');
  const std::wstring extension = WideFromUtf8(m_defaultExtension);
  const std::wstring folder = backslashed(WideFromUtf8(m_initialFolder));

  OPENFILENAMEW picker{};
  picker.lStructSize = sizeof picker;
  picker.hwndOwner = m_parent ? HwndOf(*m_parent) : ::GetActiveWindow();
  picker.lpstrFilter = m_filter.empty() ? nullptr : filter.c_str();
  picker.lpstrFile = file.data();
  picker.nMaxFile = static_cast<DWORD>(file.size());
  picker.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  // A name with a folder in lpstrFile starts the picker there; this is for the others.
  picker.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  picker.Flags = m_flags | OFN_EXPLORER;
  const BOOL chosen = m_open ? ::GetOpenFileNameW(&picker) : ::GetSaveFileNameW(&picker);
  if (!chosen)
    return IDCANCEL;
  m_pathName = Utf8FromWide(file.c_str());
  return IDOK;
}

std::string CFileDialog::GetFolderPath() const {
  const std::size_t separator = m_pathName.find_last_of("\\/");
  if (separator == std::string::npos)
    return {};
  // "C:\x.bin" keeps its root: "C:\".
  return m_pathName.substr(0, separator == 2 && m_pathName[1] == ':' ? 3 : separator);
}

}  // namespace zarneth::fw

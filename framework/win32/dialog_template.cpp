#include <string>
#include <vector>

#include "resource_registry.h"
#include "wide_text.h"
#include "win32_window.h"

namespace zarneth::fw {
namespace {

// The predefined window classes by atom, as dialog templates name them.
WORD ClassAtom(ControlClass kind) {
  switch (kind) {
    case ControlClass::Button:
      return 0x0080;
    case ControlClass::Edit:
      return 0x0081;
    case ControlClass::Static:
      return 0x0082;
    case ControlClass::ComboBox:
      return 0x0085;
  }
  return 0x0082;
}

class TemplateWriter {
 public:
  void Word(WORD value) { m_words.push_back(value); }
  void Dword(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void Text(const std::string& text) {
    for (wchar_t c : WideFromUtf8(text))
      Word(static_cast<WORD>(c));
    Word(0);
  }
  void Ordinal(WORD value) {
    Word(0xFFFF);
    Word(value);
  }
  void AlignToDword() {
    if (m_words.size() % 2 != 0)
      Word(0);
  }
  std::vector<WORD> Take() { return std::move(m_words); }

 private:
  std::vector<WORD> m_words;
};

}  // namespace

std::vector<WORD> BuildDialogTemplate(const DialogTemplate& dialogTemplate) {
  TemplateWriter out;
  out.Word(1);       // dlgVer
  out.Word(0xFFFF);  // signature: the extended template
  out.Dword(0);      // helpID
  out.Dword(dialogTemplate.exStyle);
  // Centred over its owner, as the classic framework places every dialog.
  out.Dword(dialogTemplate.style | DS_SETFONT | DS_CENTER);
  out.Word(static_cast<WORD>(dialogTemplate.controls.size()));
  out.Word(0);  // x, y: replaced by DS_CENTER
  out.Word(0);
  out.Word(static_cast<WORD>(dialogTemplate.cx));
  out.Word(static_cast<WORD>(dialogTemplate.cy));
  out.Word(0);  // no menu
  out.Word(0);  // the dialog class
  out.Text(dialogTemplate.caption);
  out.Word(static_cast<WORD>(dialogTemplate.pointSize));
  out.Word(FW_NORMAL);
  out.Word(MAKEWORD(FALSE, DEFAULT_CHARSET));  // italic, charset
  out.Text(dialogTemplate.FaceName());

  for (const ControlTemplate& control : dialogTemplate.controls) {
    out.AlignToDword();
    out.Dword(0);  // helpID
    out.Dword(control.exStyle);
    out.Dword(control.style | WS_CHILD);
    out.Word(static_cast<WORD>(control.x));
    out.Word(static_cast<WORD>(control.y));
    out.Word(static_cast<WORD>(control.cx));
    out.Word(static_cast<WORD>(control.cy));
    out.Dword(static_cast<DWORD>(control.id));
    out.Ordinal(ClassAtom(control.kind));
    if (control.imageId != 0)
      out.Ordinal(static_cast<WORD>(control.imageId));  // a picture: by resource number
    else
      out.Text(control.text);
    out.Word(0);  // no creation data
  }
  return out.Take();
}

}  // namespace zarneth::fw

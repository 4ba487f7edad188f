#include "result_dialog.h"

#include <algorithm>
#include <sstream>

#include "dialog.h"
#include "text_width.h"

namespace zarneth {
namespace {

constexpr int kDetailWidth = 260;  // dialog units: room for about 60 characters a line
constexpr int kMargin = 7;
constexpr int kLineHeight = 8;  // dialog units: one line of the dialog font
constexpr std::size_t kMaxLines = 8;

// The length of the UTF-8 character that starts at `at`.
std::size_t CharacterLength(const std::string& text, std::size_t at) {
  std::size_t length = 1;
  while (at + length < text.size() &&
         (static_cast<unsigned char>(text[at + length]) & 0xC0) == 0x80)
    ++length;
  return length;
}

// Splits a word too wide for any line: after its last separator that fits, or before the
// first character that does not fit (at least one character a line).
void BreakLongWord(std::string word, int width, const TextWidth& widthOf,
                   std::vector<std::string>& lines) {
  while (widthOf(word) > width) {
    std::size_t fits = CharacterLength(word, 0);
    while (fits < word.size()) {
      const std::size_t next = fits + CharacterLength(word, fits);
      if (widthOf(std::string_view(word).substr(0, next)) > width)
        break;
      fits = next;
    }
    const std::size_t separator = word.find_last_of("/\\", fits - 1);
    const std::size_t cut = separator != std::string::npos && separator > 0 ? separator + 1 : fits;
    lines.push_back(word.substr(0, cut));
    word.erase(0, cut);
  }
  lines.push_back(word);
}

}  // namespace

std::vector<std::string> WrapDetail(const std::string& text, int width, std::size_t maxLines,
                                    const TextWidth& widthOf) {
  std::vector<std::string> lines;
  std::istringstream words(text);
  std::string word;
  std::string line;
  while (words >> word) {
    if (!line.empty() && widthOf(line + ' ' + word) <= width) {
      line += ' ' + word;
      continue;
    }
    if (!line.empty())
      lines.push_back(line);
    BreakLongWord(word, width, widthOf, lines);
    line = lines.back();
    lines.pop_back();
  }
  if (!line.empty())
    lines.push_back(line);
  if (lines.size() > maxLines && maxLines >= 3) {
    const std::size_t head = maxLines - 2;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(head), lines.end() - 1);
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(head), "...");
  }
  return lines;
}

fw::DialogTemplate ResultTemplate(const fw::DialogTemplate& base,
                                  const std::vector<std::string>& detail) {
  if (detail.empty())
    return base;
  fw::DialogTemplate grown = base;
  const int width = std::max(base.cx, kDetailWidth);
  const TextWidth widthOf = [&base](std::string_view text) {
    return fw::TextWidthInDialogUnits(base, text);
  };
  std::string text;
  int lineCount = 0;
  for (const std::string& item : detail) {
    for (const std::string& line : WrapDetail(item, width - 2 * kMargin, kMaxLines, widthOf)) {
      text += (text.empty() ? "" : "\n") + line;
      ++lineCount;
    }
  }

  // The fixed text stays centred; the OK button moves below the detail.
  const int shift = (width - base.cx) / 2;
  int detailTop = base.cy;
  for (fw::ControlTemplate& control : grown.controls) {
    control.x += shift;
    if (control.id == fw::IDOK)
      detailTop = control.y;
  }
  const int detailHeight = lineCount * kLineHeight;
  for (fw::ControlTemplate& control : grown.controls) {
    if (control.id == fw::IDOK)
      control.y = detailTop + detailHeight + kMargin;
  }
  fw::ControlTemplate line;
  line.kind = fw::ControlClass::Static;
  line.text = text;
  line.x = kMargin;
  line.y = detailTop;
  line.cx = width - 2 * kMargin;
  line.cy = detailHeight;
  line.style = fw::WS_VISIBLE | fw::SS_LEFT;
  grown.controls.push_back(line);
  grown.cx = width;
  grown.cy = base.cy + detailHeight + kMargin;
  return grown;
}

void ShowResultDialog(int templateId, const std::vector<std::string>& detail) {
  fw::CDialog dialog(templateId);
  if (const fw::DialogTemplate* base = fw::FindDialogTemplate(templateId))
    dialog.InitModalIndirect(ResultTemplate(*base, detail));
  dialog.DoModal();
}

}  // namespace zarneth

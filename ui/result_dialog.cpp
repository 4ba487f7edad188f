#include "result_dialog.h"

#include <algorithm>
#include <sstream>

#include "dialog.h"

namespace zarneth {
namespace {

constexpr int kDetailWidth = 260;  // dialog units: room for about 60 characters a line
constexpr int kMargin = 7;
constexpr int kLineHeight = 8;
constexpr std::size_t kMaxLines = 8;

// Splits a word too long for any line: after its last '/' that fits, or at the line's end.
void BreakLongWord(std::string word, std::size_t columns, std::vector<std::string>& lines) {
  while (word.size() > columns) {
    const std::size_t slash = word.rfind('/', columns - 1);
    const std::size_t cut = slash != std::string::npos && slash > 0 ? slash + 1 : columns;
    lines.push_back(word.substr(0, cut));
    word.erase(0, cut);
  }
  lines.push_back(word);
}

}  // namespace

std::vector<std::string> WrapDetail(const std::string& text, std::size_t columns,
                                    std::size_t maxLines) {
  std::vector<std::string> lines;
  std::istringstream words(text);
  std::string word;
  std::string line;
  while (words >> word) {
    if (!line.empty() && line.size() + 1 + word.size() <= columns) {
      line += ' ' + word;
      continue;
    }
    if (!line.empty())
      lines.push_back(line);
    line.clear();
    BreakLongWord(word, columns, lines);
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
  const std::size_t columns = static_cast<std::size_t>((width - 2 * kMargin) / 4);
  std::string text;
  int lineCount = 0;
  for (const std::string& item : detail) {
    for (const std::string& line : WrapDetail(item, columns, kMaxLines)) {
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

#pragma once

// The done and the failure dialog of a run. Their templates (130 and 129) keep their caption
// and text exactly; the run's detail (what it did and any warning, or why it failed) goes on
// wrapped lines below the text, laid out by the text's measured width in the dialog's font,
// and the dialog grows to fit, so a user always sees all of it.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "resource_registry.h"

namespace zarneth {

// Shows the result dialog `templateId` modally, with `detail` below its text.
void ShowResultDialog(int templateId, const std::vector<std::string>& detail);

// The template of a result dialog grown to hold `detail`; the template itself when empty.
fw::DialogTemplate ResultTemplate(const fw::DialogTemplate& base,
                                  const std::vector<std::string>& detail);

// How wide a text is, in any unit.
using TextWidth = std::function<int(std::string_view)>;

// Breaks `text` (UTF-8) into lines no wider than `width` as `widthOf` measures them: at
// spaces, and inside a word too long for a line after a '/' or '\\' (a path on either
// system) or else before the character that no longer fits. Beyond `maxLines` the middle
// lines give way to one "...".
std::vector<std::string> WrapDetail(const std::string& text, int width, std::size_t maxLines,
                                    const TextWidth& widthOf);

}  // namespace zarneth

#pragma once

// The done and the failure dialog of a run. Their templates (130 and 129) keep their caption
// and text exactly; the run's detail (why it failed, an interrupted run it undid) goes on
// wrapped lines below the text, and the dialog grows to fit, so a user always sees why.

#include <cstddef>
#include <string>
#include <vector>

#include "resource_registry.h"

namespace zarneth {

// Shows the result dialog `templateId` modally, with `detail` below its text.
void ShowResultDialog(int templateId, const std::vector<std::string>& detail);

// The template of a result dialog grown to hold `detail`; the template itself when empty.
fw::DialogTemplate ResultTemplate(const fw::DialogTemplate& base,
                                  const std::vector<std::string>& detail);

// Breaks `text` into lines of at most `columns` characters: at spaces, and inside a word
// too long for a line after a '/' (a path) or else anywhere. Beyond `maxLines` the middle
// lines give way to one "...".
std::vector<std::string> WrapDetail(const std::string& text, std::size_t columns,
                                    std::size_t maxLines);

}  // namespace zarneth

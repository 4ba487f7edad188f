#pragma once

#include <string>
#include <string_view>

namespace zarneth {

// A file name as every message shows it: in single quotes, with control characters and the
// quote written as escapes ('a\nb', 'it\'s'), so that a name can neither break a message's
// line nor forge one of its own. A backslash stays as it is: Windows paths are made of them.
std::string QuotedName(std::string_view name);

}  // namespace zarneth

#pragma once

#include <string>
#include <vector>

namespace zarneth {

// UTF-8, the engine's text, to UTF-16, the system's, and back. Invalid sequences become
// U+FFFD rather than failing: a name that cannot be converted is then simply not found.
std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);

// A UTF-8 path as the wide file functions take it. A path longer than the classic limit of
// 260 characters is made absolute and given the "\\?\" prefix, which lifts the limit.
std::wstring SystemPath(const std::string& path);

// The process's command line as UTF-8 texts, read from the wide command line so that no
// name is lost to the console's code page; the program's name first.
std::vector<std::string> Utf8CommandLine();

}  // namespace zarneth

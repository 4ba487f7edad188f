#pragma once

namespace zarneth::cli {

// The commands' names, as the command line, the help and the messages spell them.
inline constexpr const char* kPatchCommand = "patch";
inline constexpr const char* kCutCommand = "cut";
inline constexpr const char* kVerifyCommand = "verify";
inline constexpr const char* kShowCommand = "show";
inline constexpr const char* kModelsCommand = "models";
inline constexpr const char* kLocateCommand = "locate";
inline constexpr const char* kCompareCommand = "compare";

}  // namespace zarneth::cli

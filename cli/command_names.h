#pragma once

namespace zarneth::cli {

// The commands' names, as the command line, the help and the messages spell them.
inline constexpr const char* kPatchCommand = "patch";
inline constexpr const char* kCutCommand = "cut";
inline constexpr const char* kVerifyCommand = "verify";
inline constexpr const char* kShowCommand = "show";
inline constexpr const char* kModelsCommand = "models";
// "models add NAME ..." and "models remove NAME": read as these commands, with --name NAME.
inline constexpr const char* kModelsAddCommand = "models-add";
inline constexpr const char* kModelsRemoveCommand = "models-remove";
inline constexpr const char* kIdentifyCommand = "identify";
inline constexpr const char* kLocateCommand = "locate";
inline constexpr const char* kCompareCommand = "compare";

}  // namespace zarneth::cli

#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace zarneth::cli {

// What the command line asked for; empty texts were not given.
struct CommandOptions {
  std::string source;
  std::string transcript;
  std::string output;
  std::string model;
  std::string start;
  std::string end;
  std::string replace;  // patch: the block the transcript goes over
  std::string with;     // compare: the second image
  bool inPlace = false;
  bool allowOverrun = false;
  bool quiet = false;
  bool dryRun = false;
  bool noClobber = false;
  bool crcOnly = false;
  bool backup = false;
  bool all = false;                 // locate: every near place, not the best three
  bool detail = false;              // locate: the differing parts under each place
  double minAgree = 0;              // patch --replace: the least share that agrees, where not exact
  std::vector<std::string> models;  // the model tables given, read before the options
  std::string name;                 // models add, models remove: the version
  std::string note;                 // models add: a note kept with it
  std::string table;  // models add, models remove: the table changed (the user's when empty)
};

// A mistake on the command line: the message, then where the help is (the command's own
// when one was named), on `err`; returns kExitUsage.
int UsageError(std::ostream& err, const std::string& message, const std::string& command = {});

// Each returns the process's exit code; `out` gets the done line, `err` everything else.
int RunPatchCommand(const CommandOptions& options, std::ostream& out, std::ostream& err);
int RunCutCommand(const CommandOptions& options, std::ostream& out, std::ostream& err);
int RunVerifyCommand(const CommandOptions& options, std::ostream& out, std::ostream& err);
int RunShowCommand(const CommandOptions& options, std::ostream& out, std::ostream& err);
int RunLocateCommand(const CommandOptions& options, std::ostream& out, std::ostream& err);
int RunCompareCommand(const CommandOptions& options, std::ostream& out, std::ostream& err);
void PrintModels(std::ostream& out);
int RunModelsAddCommand(const CommandOptions& options, std::ostream& out, std::ostream& err);
int RunModelsRemoveCommand(const CommandOptions& options, std::ostream& out, std::ostream& err);
int RunIdentifyCommand(const CommandOptions& options, std::ostream& out, std::ostream& err);

}  // namespace zarneth::cli

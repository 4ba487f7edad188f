#pragma once

namespace zarneth {

// Runs before every system call through which the engine opens, reads, writes, locks, syncs,
// renames or removes a file, with the call's name ("pwrite", "WriteFile", ...). Tests use it
// to count the calls or to end the process right before a chosen one. Null: none.
using SystemCallHook = void (*)(const char* call);
void SetSystemCallHook(SystemCallHook hook);

// The name under which the hook sees the call that syncs a file to the disk.
extern const char* const kSyncCallName;

}  // namespace zarneth

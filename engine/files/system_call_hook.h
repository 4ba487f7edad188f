#pragma once

namespace zarneth {

// Runs before every system call through which the engine opens, reads, writes, locks, syncs,
// renames or removes a file, with the call's name ("pwrite", "WriteFile", ...). It returns 0
// to let the call go on, or a system error number (errno on POSIX, GetLastError() on
// Windows) to make the call fail with it without reaching the system. Tests use it to count
// the calls, to end the process right before a chosen one or to fail each in turn. Null:
// none.
using SystemCallHook = int (*)(const char* call);
void SetSystemCallHook(SystemCallHook hook);

// The name under which the hook sees the call that syncs a file to the disk.
extern const char* const kSyncCallName;

}  // namespace zarneth

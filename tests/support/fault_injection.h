#pragma once

// Faults of the system made to order, the same on every platform: each swaps some of the
// engine's system calls through its seam for the lifetime of the ScopedFaults.

#include <cstdint>
#include <string>

namespace zarneth::test {

class ScopedFaults {
 public:
  ScopedFaults();
  ~ScopedFaults();
  ScopedFaults(const ScopedFaults&) = delete;
  ScopedFaults& operator=(const ScopedFaults&) = delete;

  // Every read fails with an I/O error.
  void FailReads();
  // Writes fail with the system's "disk full" once `bytes` more bytes were written; the
  // system's own copy counts as writing.
  void DiskFullAfter(std::uint64_t bytes);
  // The `nth` sync from now fails with an I/O error; the others go through.
  void FailSync(int nth);
  // Opens of one file never conflict, as with locks a network file system ignores.
  void NoLocks();
  // Reads of the file at `path` end after its first `bytes` bytes, as if it had shrunk;
  // the system's own copy is off so that every byte goes through a read.
  void ShortReads(const std::string& path, std::uint64_t bytes);
  // The folders' file system has no anonymous files, so runs take named temporaries (as on
  // vfat or exFAT); the same as ever where every temporary is named (Windows).
  void NoAnonymousFiles();
  // Whether the system gives anonymous temporaries at all, so NoAnonymousFiles changes a run.
  static bool SystemHasAnonymousFiles();
};

// How many of one run's crash points may leave a named temporary for the next run to clean:
// when `replaces`, a death in the instant between naming it and the rename (Linux; a new
// name is given to the anonymous file directly, which leaves none); on Windows also one
// between its creation and its marking for deletion, and, when `replaces`, one at the
// closing of the file it replaces, which Windows needs before the rename.
int DeathsLeavingATemporary(bool replaces);

// The system's error numbers for an I/O error and a full disk, for faults made through the
// system call hook.
extern const int kIoError;
extern const int kDiskFullError;
// The error of a call a signal interrupted (EINTR); none on Windows, whose calls are not
// interrupted (0).
extern const int kInterruptedError;

// The system's text for a full disk, as errors quote it.
std::string DiskFullText();

}  // namespace zarneth::test

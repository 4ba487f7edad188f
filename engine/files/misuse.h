#pragma once

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace zarneth {

// A caller broke a type's contract: took the value of a refusal, or refused with a done
// status. A debug build ends the program on the spot, as LLVM's Expected does, so that no
// catch of std::exception on the way up hides the fault; a release build throws
// std::logic_error, and the run fails with every file as it was.
[[noreturn]] inline void Misused(const std::string& what) {
#ifndef NDEBUG
  std::fprintf(stderr, "zarneth: misused: %s\n", what.c_str());
  std::abort();
#else
  throw std::logic_error(what);
#endif
}

}  // namespace zarneth

#include "posix_calls.h"

#include <unistd.h>

namespace zarneth {

PosixCalls& ActivePosixCalls() {
  static PosixCalls calls{::read, ::write};
  return calls;
}

ScopedPosixCalls::ScopedPosixCalls(PosixCalls replacement) : m_saved(ActivePosixCalls()) {
  ActivePosixCalls() = replacement;
}

ScopedPosixCalls::~ScopedPosixCalls() {
  ActivePosixCalls() = m_saved;
}

}  // namespace zarneth

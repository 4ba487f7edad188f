#include "stop_request.h"
#include "words.h"

#include <atomic>
#include <string>

namespace zarneth {
namespace {

// Lock-free, so a signal handler may store into it.
std::atomic<int> requestedStop{0};
static_assert(std::atomic<int>::is_always_lock_free);

}  // namespace

void RequestStop(int signalNumber) {
  requestedStop.store(signalNumber == 0 ? -1 : signalNumber, std::memory_order_relaxed);
}

int StopRequested() {
  return requestedStop.load(std::memory_order_relaxed);
}

void ClearStopRequest() {
  requestedStop.store(0, std::memory_order_relaxed);
}

RunStopped::RunStopped(int signalNumber)
    : std::runtime_error(TrFill("the run was stopped by signal %s; nothing was changed",
                                {std::to_string(signalNumber)})),
      m_signal(signalNumber) {}

void StopIfRequested() {
  if (const int signalNumber = StopRequested())
    throw RunStopped(signalNumber);
}

}  // namespace zarneth

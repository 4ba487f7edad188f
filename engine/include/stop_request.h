#pragma once

#include <stdexcept>

namespace zarneth {

// A request from outside the run (a signal, a closing window) to stop at the next safe
// point. The run then stops before its commit, with every file as it was, and ends with
// RunStopped. Safe to call from a signal handler.
void RequestStop(int signalNumber);
// The signal number given to RequestStop, or 0 while no stop is requested.
int StopRequested();
// Forgets a request once the run it stopped has ended, for a program that goes on to
// further runs (the dialog, whose search has a Cancel button).
void ClearStopRequest();

// Thrown at a safe point once a stop is requested; by then nothing of the run remains.
class RunStopped : public std::runtime_error {
 public:
  explicit RunStopped(int signalNumber);
  int GetSignal() const { return m_signal; }

 private:
  int m_signal;
};

// The run's safe points call this: throws RunStopped when a stop is requested.
void StopIfRequested();

}  // namespace zarneth

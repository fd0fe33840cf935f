#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// A request to stop, raised on one thread and heeded on another: between two steps of an
// operation (Raised) and in the middle of a long wait, which it ends at once (WaitFor).
// Raised again "at once", it asks for more haste: the operation ends at its next byte
// rather than at its next step. It stays raised until cleared.
class StopSignal {
 public:
  // `code` says why, for whoever reports the stop (a program: the exit status that the
  // signal it got calls for); the first raise's code is kept.
  void Raise(int code = 0);
  // Raises the signal, if it is not, and asks for the stop at once.
  void RaiseAtOnce(int code = 0);
  void Clear();
  bool Raised() const;
  bool AtOnce() const;
  int Code() const;
  // Waits until the signal is raised or `span` of real time has passed; true when raised.
  bool WaitFor(std::chrono::nanoseconds span) const;

 private:
  mutable std::mutex mutex_;  // guards raised_, atOnce_ and code_
  mutable std::condition_variable changed_;
  bool raised_ = false;
  bool atOnce_ = false;
  int code_ = 0;
};

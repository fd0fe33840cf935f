#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// A request to stop, raised on one thread and heeded on another: between two steps of an
// operation (Raised) and in the middle of a long wait, which it ends at once (WaitFor).
// It stays raised until cleared.
class StopSignal {
 public:
  void Raise();
  void Clear();
  bool Raised() const;
  // Waits until the signal is raised or `span` of real time has passed; true when raised.
  bool WaitFor(std::chrono::nanoseconds span) const;

 private:
  mutable std::mutex mutex_;  // guards raised_
  mutable std::condition_variable changed_;
  bool raised_ = false;
};

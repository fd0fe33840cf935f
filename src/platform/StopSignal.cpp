#include "platform/StopSignal.h"

void StopSignal::Raise() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    raised_ = true;
  }
  changed_.notify_all();
}

void StopSignal::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  raised_ = false;
}

bool StopSignal::Raised() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return raised_;
}

bool StopSignal::WaitFor(std::chrono::nanoseconds span) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, span, [this] { return raised_; });
}

#include "platform/StopSignal.h"

void StopSignal::Raise(int code) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!raised_) code_ = code;
    raised_ = true;
  }
  changed_.notify_all();
}

void StopSignal::RaiseAtOnce(int code) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    atOnce_ = true;
  }
  Raise(code);
}

void StopSignal::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  raised_ = false;
  atOnce_ = false;
  code_ = 0;
}

bool StopSignal::Raised() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return raised_;
}

bool StopSignal::AtOnce() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return atOnce_;
}

int StopSignal::Code() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return code_;
}

bool StopSignal::WaitFor(std::chrono::nanoseconds span) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, span, [this] { return raised_; });
}

#include "platform/VirtualClock.h"

#include "platform/StopSignal.h"

void VirtualClock::SleepMs(uint32_t ms) {
  std::lock_guard<std::mutex> lock(mutex_);
  now_ += std::chrono::milliseconds(ms);
  sleeps_.push_back(ms);
}

bool VirtualClock::SleepUnlessStopped(uint32_t ms, const StopSignal& stop) {
  if (stop.Raised()) return true;
  SleepMs(ms);
  return stop.Raised();
}

void VirtualClock::SleepUntil(std::chrono::nanoseconds deadline) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (deadline > now_) now_ = deadline;
}

std::chrono::nanoseconds VirtualClock::Now() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return now_;
}

void VirtualClock::Advance(std::chrono::nanoseconds by) {
  std::lock_guard<std::mutex> lock(mutex_);
  now_ += by;
}

std::vector<uint32_t> VirtualClock::Sleeps() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return sleeps_;
}

void VirtualClock::ClearSleeps() {
  std::lock_guard<std::mutex> lock(mutex_);
  sleeps_.clear();
}

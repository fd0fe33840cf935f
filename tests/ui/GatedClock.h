#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/VirtualClock.h"

// Virtual time that can hold the thread making a chosen sleep, counted from now, until
// Release(): a test acts while an operation is known to be under way.
class GatedClock : public VirtualClock {
 public:
  void SleepMs(uint32_t ms) override {
    std::unique_lock<std::mutex> lock(mutex_);
    if (holdAt_ != 0 && ++count_ == holdAt_) {
      held_ = true;
      changed_.notify_all();
      changed_.wait(lock, [this] { return !held_; });
    }
    lock.unlock();
    VirtualClock::SleepMs(ms);
  }
  void HoldAtSleep(int number) {
    std::lock_guard<std::mutex> lock(mutex_);
    holdAt_ = number;
    count_ = 0;
  }
  bool WaitUntilHeld() {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(20), [this] { return held_; });
  }
  bool IsHeld() {
    std::lock_guard<std::mutex> lock(mutex_);
    return held_;
  }
  void Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    held_ = false;
    holdAt_ = 0;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;  // guards the fields below
  std::condition_variable changed_;
  int holdAt_ = 0;
  int count_ = 0;
  bool held_ = false;
};

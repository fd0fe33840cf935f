#pragma once

#include <mutex>
#include <vector>

#include "platform/Clock.h"

// Virtual time for tests: a sleep returns at once and moves time forward; every sleep is
// recorded in order. Safe to use from several threads.
class VirtualClock : public Clock {
 public:
  void SleepMs(uint32_t ms) override;
  // Recorded like SleepMs; a raised signal ends it before any time passes.
  bool SleepUnlessStopped(uint32_t ms, const StopSignal& stop) override;
  // Moves time to the deadline; not recorded among the sleeps, which are the protocol's waits.
  void SleepUntil(std::chrono::nanoseconds deadline) override;
  std::chrono::nanoseconds Now() const override;
  void Advance(std::chrono::nanoseconds by);
  std::vector<uint32_t> Sleeps() const;
  void ClearSleeps();

 private:
  mutable std::mutex mutex_;  // guards now_ and sleeps_
  std::chrono::nanoseconds now_{0};
  std::vector<uint32_t> sleeps_;
};

#pragma once

#include "platform/Clock.h"

// The real clock. Sleeps to an absolute deadline on the monotonic clock, with the calling
// thread's timer slack lowered, so a 1 ms wait lasts 1 ms and not 1.1 ms.
class SystemClock : public Clock {
 public:
  static SystemClock& Instance();
  void SleepMs(uint32_t ms) override;
  bool SleepUnlessStopped(uint32_t ms, const StopSignal& stop) override;
  void SleepUntil(std::chrono::nanoseconds deadline) override;
  std::chrono::nanoseconds Now() const override;
};

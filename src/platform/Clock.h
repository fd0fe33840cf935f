#pragma once

#include <chrono>
#include <cstdint>

class StopSignal;

// Every protocol wait goes through a Clock, so that tests can run the device on virtual time
// and still see each wait. Now() is monotonic.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual void SleepMs(uint32_t ms) = 0;
  // Sleeps `ms`, or less when `stop` is raised before or meanwhile: true then.
  virtual bool SleepUnlessStopped(uint32_t ms, const StopSignal& stop) = 0;
  // Sleeps until Now() reaches `deadline`; returns at once when it has.
  virtual void SleepUntil(std::chrono::nanoseconds deadline) = 0;
  virtual std::chrono::nanoseconds Now() const = 0;
};

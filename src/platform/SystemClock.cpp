#include "platform/SystemClock.h"

#include "platform/StopSignal.h"

namespace {

// A wait on the stop signal may wake a scheduler tick late (15.6 ms on Windows); the last
// stretch is slept to the deadline as precisely as any other wait.
constexpr std::chrono::milliseconds kPreciseTail{20};

}  // namespace

bool SystemClock::SleepUnlessStopped(uint32_t ms, const StopSignal& stop) {
  const std::chrono::nanoseconds deadline = Now() + std::chrono::milliseconds(ms);
  const std::chrono::nanoseconds coarse = deadline - kPreciseTail - Now();
  if (coarse.count() > 0 ? stop.WaitFor(coarse) : stop.Raised()) return true;
  SleepUntil(deadline);
  return stop.Raised();
}

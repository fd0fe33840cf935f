#pragma once

#include <cstdint>

#include "platform/Clock.h"
#include "platform/StopSignal.h"

// The waits of one programming session, on its clock. A long wait (100 ms and more: the reset,
// programming enable, the erase margins) ends as soon as the stop signal is raised, with a
// ChipFailure of kind Stopped; a short one belongs to a byte on its way and always runs out.
class SessionWaits {
 public:
  SessionWaits(Clock& clock, const StopSignal* stop) : clock_(clock), stop_(stop) {}

  // Waits `ms`; no wait at all for 0.
  void Wait(uint32_t ms);
  // Throws a ChipFailure of kind Stopped when the stop signal is raised.
  void CheckStop() const;
  // The same, only for a stop asked for at once (a second signal): it does not wait for the
  // page to end, and is checked before each byte.
  void CheckStopAtOnce() const;
  Clock& TheClock() const { return clock_; }

 private:
  Clock& clock_;
  const StopSignal* stop_;
};

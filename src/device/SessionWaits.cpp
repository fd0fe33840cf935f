#include "device/SessionWaits.h"

#include "device/ChipFailure.h"

void SessionWaits::Wait(uint32_t ms) {
  constexpr uint32_t kLongWait = 100;
  if (ms == 0) return;
  if (!stop_ || ms < kLongWait) return clock_.SleepMs(ms);
  if (clock_.SleepUnlessStopped(ms, *stop_)) throw ChipFailure(ChipFailure::Kind::Stopped, {});
}

void SessionWaits::CheckStop() const {
  if (stop_ && stop_->Raised()) throw ChipFailure(ChipFailure::Kind::Stopped, {});
}

void SessionWaits::CheckStopAtOnce() const {
  if (stop_ && stop_->AtOnce()) throw ChipFailure(ChipFailure::Kind::Stopped, {});
}

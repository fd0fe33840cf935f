#include <sys/prctl.h>
#include <time.h>

#include <cerrno>

#include "platform/SystemClock.h"

namespace {

// Linux lets the kernel delay a timer by the thread's timer slack (50 us by default) to
// batch wake-ups. Thousands of 1 ms waits add that up, so each sleeping thread asks for 1 ns.
void LowerTimerSlackOnce() {
#ifdef PR_SET_TIMERSLACK
  thread_local bool lowered = false;
  if (!lowered) {
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    lowered = true;
  }
#endif
}

}  // namespace

SystemClock& SystemClock::Instance() {
  static SystemClock clock;
  return clock;
}

void SystemClock::SleepMs(uint32_t ms) { SleepUntil(Now() + std::chrono::milliseconds(ms)); }

void SystemClock::SleepUntil(std::chrono::nanoseconds deadline) {
  LowerTimerSlackOnce();
  timespec until{};
  until.tv_sec = static_cast<time_t>(deadline.count() / 1000000000);
  until.tv_nsec = static_cast<long>(deadline.count() % 1000000000);
  // An absolute deadline keeps a signal-interrupted sleep from stretching the wait.
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
}

std::chrono::nanoseconds SystemClock::Now() const {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

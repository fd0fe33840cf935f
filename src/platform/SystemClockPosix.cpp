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

void SystemClock::SleepMs(uint32_t ms) {
  LowerTimerSlackOnce();
  timespec deadline{};
  clock_gettime(CLOCK_MONOTONIC, &deadline);
  deadline.tv_sec += ms / 1000;
  deadline.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
  if (deadline.tv_nsec >= 1000000000L) {
    deadline.tv_sec += 1;
    deadline.tv_nsec -= 1000000000L;
  }
  // An absolute deadline keeps a signal-interrupted sleep from stretching the wait.
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
  }
}

std::chrono::nanoseconds SystemClock::Now() const {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

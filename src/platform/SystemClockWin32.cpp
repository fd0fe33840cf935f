#include <windows.h>
// windows.h first: timeapi.h needs its types.
#include <timeapi.h>

#include <cstdint>

#include "platform/SystemClock.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace {

// Windows rounds each Sleep up to the scheduler tick, 15.6 ms unless some program asks for
// less. The protocol's 1 ms and 2 ms waits would last 15 ms each, so the program asks for a
// 1 ms tick for as long as it runs.
class TimerResolution {
 public:
  TimerResolution() : granted_(timeBeginPeriod(1) == TIMERR_NOERROR) {}
  ~TimerResolution() {
    if (granted_) timeEndPeriod(1);
  }
  TimerResolution(const TimerResolution&) = delete;
  TimerResolution& operator=(const TimerResolution&) = delete;

 private:
  bool granted_;
};

const TimerResolution timerResolution;

// A high-resolution waitable timer (Windows 10 1803 and later) wakes within about 0.5 ms
// of its due time, without the tick. Each thread has its own, as a thread waits on it.
class ThreadTimer {
 public:
  ThreadTimer()
      : handle_(CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                       TIMER_ALL_ACCESS)) {}
  ~ThreadTimer() {
    if (handle_) CloseHandle(handle_);
  }
  ThreadTimer(const ThreadTimer&) = delete;
  ThreadTimer& operator=(const ThreadTimer&) = delete;

  // Waits `span` (rounded up to 100 ns); false when there is no such timer here.
  bool Wait(std::chrono::nanoseconds span) const {
    if (!handle_) return false;
    LARGE_INTEGER due{};
    due.QuadPart = -static_cast<LONGLONG>((span.count() + 99) / 100);  // negative: relative
    if (!SetWaitableTimer(handle_, &due, 0, nullptr, nullptr, FALSE)) return false;
    return WaitForSingleObject(handle_, INFINITE) == WAIT_OBJECT_0;
  }

 private:
  HANDLE handle_;
};

int64_t CounterFrequency() {
  static const int64_t frequency = [] {
    LARGE_INTEGER value{};
    QueryPerformanceFrequency(&value);
    return static_cast<int64_t>(value.QuadPart);
  }();
  return frequency;
}

}  // namespace

SystemClock& SystemClock::Instance() {
  static SystemClock clock;
  return clock;
}

// To an absolute deadline: a timer that wakes a little early is set again for the rest.
void SystemClock::SleepMs(uint32_t ms) { SleepUntil(Now() + std::chrono::milliseconds(ms)); }

void SystemClock::SleepUntil(std::chrono::nanoseconds deadline) {
  thread_local ThreadTimer timer;
  for (;;) {
    const std::chrono::nanoseconds left = deadline - Now();
    if (left.count() <= 0) return;
    if (!timer.Wait(left)) {
      // Without the high-resolution timer: Sleep on the 1 ms tick, rounded up.
      Sleep(static_cast<DWORD>((left.count() + 999999) / 1000000));
      return;
    }
  }
}

std::chrono::nanoseconds SystemClock::Now() const {
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  const int64_t frequency = CounterFrequency();
  const int64_t ticks = counter.QuadPart;
  // Whole seconds and the rest apart, as ticks x 10^9 would overflow after some days.
  return std::chrono::seconds(ticks / frequency) +
         std::chrono::nanoseconds((ticks % frequency) * 1000000000 / frequency);
}

// The thread's start, its suspend and resume hand-over, and its end; a stop that ends a wait.

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/StopSignal.h"
#include "platform/SystemClock.h"
#include "platform/TThread.h"

namespace {

// Counts requests served. Requests and the stop are plain flags set before Resume(), the way
// the worker uses the thread; the wake-up latch alone must keep any of them from being lost.
class CountingThread : public TThread {
 public:
  CountingThread() : TThread(true) {}
  ~CountingThread() override {
    Stop();
    WaitFor();
  }
  void Request() {
    requested_.fetch_add(1);
    Resume();
  }
  void Stop() {
    running_ = false;
    Resume();
  }
  int Served() const { return served_.load(); }
  // Waits until `count` requests were served; false after ten seconds (a lost wake-up).
  bool AwaitServed(int count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return servedChanged_.wait_for(lock, std::chrono::seconds(10),
                                   [&] { return served_.load() >= count; });
  }
  int Passes() const { return passes_.load(); }
  bool Started() const { return started_.load(); }

 protected:
  void Execute() override {
    started_ = true;
    while (running_) {
      ++passes_;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        served_ += requested_.exchange(0);
      }
      servedChanged_.notify_all();
      if (running_) Suspend();
    }
  }

 private:
  std::atomic<int> requested_{0};
  std::atomic<int> served_{0};
  std::atomic<int> passes_{0};
  std::atomic<bool> running_{true};
  std::atomic<bool> started_{false};
  std::mutex mutex_;  // pairs with servedChanged_
  std::condition_variable servedChanged_;
};

TEST(TThreadLifecycle, ExecuteWaitsForTheFirstResume) {
  CountingThread thread;
  EXPECT_FALSE(thread.Started());
  thread.Request();
  EXPECT_TRUE(thread.AwaitServed(1));
  EXPECT_TRUE(thread.Started());
}

TEST(TThreadLifecycle, StopBeforeAnyRequestEndsWithoutAPass) {
  CountingThread thread;
  thread.Stop();
  thread.WaitFor();
  EXPECT_TRUE(thread.Started());
  EXPECT_EQ(thread.Passes(), 0);
}

TEST(TThreadLifecycle, DestroyingAThreadThatNeverStartedReturns) {
  auto thread = std::make_unique<CountingThread>();
  thread.reset();
  SUCCEED();
}

TEST(TThreadLifecycle, CreatingItRunningIsRefused) {
  struct Eager : TThread {
    Eager() : TThread(false) {}
    void Execute() override {}
  };
  EXPECT_THROW(Eager{}, std::logic_error);
}

TEST(TThreadHandOver, NoRequestAndNoStopIsLostUnderAStressLoop) {
  for (int round = 0; round < 200; ++round) {
    CountingThread thread;
    const int requests = 1 + round % 17;
    for (int i = 1; i <= requests; ++i) {
      thread.Request();
      // Every few requests, let the thread catch up, so that requests land both while it
      // sleeps and while it is in a pass.
      if (i % 3 == round % 3) {
        ASSERT_TRUE(thread.AwaitServed(i)) << "round " << round;
      }
    }
    ASSERT_TRUE(thread.AwaitServed(requests)) << "round " << round;
    thread.Stop();
    thread.WaitFor();  // a lost Stop would hang here, and ctest's time-out would catch it
  }
}

TEST(TThreadHandOver, ResumeDuringAPassIsRememberedForTheNextSuspend) {
  CountingThread thread;
  for (int i = 0; i < 1000; ++i) thread.Request();
  EXPECT_TRUE(thread.AwaitServed(1000));
  EXPECT_LE(thread.Passes(), 1000) << "the latch folds wake-ups together";
}

}  // namespace

// A long wait on the real clock ends as soon as another thread raises the stop, and runs its
// whole length when nobody does.
TEST(StopSignal, EndsALongWaitOnTheRealClockAtOnce) {
  SystemClock& clock = SystemClock::Instance();
  StopSignal stop;
  const auto start = clock.Now();
  EXPECT_FALSE(clock.SleepUnlessStopped(30, stop));
  EXPECT_GE(clock.Now() - start, std::chrono::milliseconds(30));

  std::thread raiser([&] {
    clock.SleepMs(50);
    stop.Raise();
  });
  const auto raisedFrom = clock.Now();
  EXPECT_TRUE(clock.SleepUnlessStopped(60000, stop));
  raiser.join();
  EXPECT_LT(clock.Now() - raisedFrom, std::chrono::seconds(10));
  EXPECT_TRUE(clock.SleepUnlessStopped(60000, stop)) << "it stays raised";
  stop.Clear();
  EXPECT_FALSE(stop.Raised());
}

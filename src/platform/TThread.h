#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

// A thread whose body is Execute(). It is made suspended: Execute() starts with the first
// Resume(). The thread may Suspend() itself; the next Resume() wakes it.
//
// A Resume() that comes while the thread is not suspended is remembered (a wake-up latch), so
// the next Suspend() returns at once: no wake-up is ever lost, whatever the interleaving.
//
// A derived class must make Execute() return and call WaitFor() in its own destructor, before
// its members are gone.
class TThread {
 public:
  explicit TThread(bool createSuspended);
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  void Resume();
  // Waits for Execute() to return; returns at once when it never started.
  void WaitFor();

 protected:
  virtual void Execute() = 0;
  // Called by the thread on itself: sleeps until the next Resume(), or returns at once when a
  // Resume() came since the last Suspend().
  void Suspend();

 private:
  std::mutex mutex_;  // guards started_ and wakeupPending_
  std::condition_variable wakeup_;
  bool started_ = false;
  bool wakeupPending_ = false;
  std::thread thread_;
};

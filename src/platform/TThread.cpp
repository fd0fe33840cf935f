#include "platform/TThread.h"

#include <stdexcept>

TThread::TThread(bool createSuspended) {
  // Execute() is virtual: running it before the derived object is complete would call into
  // a half-built object, so the thread always starts with the first Resume().
  if (!createSuspended) throw std::logic_error("TThread must be created suspended");
}

TThread::~TThread() { WaitFor(); }

void TThread::Resume() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!started_) {
    started_ = true;
    thread_ = std::thread([this] { Execute(); });
    return;
  }
  wakeupPending_ = true;
  wakeup_.notify_one();
}

void TThread::Suspend() {
  std::unique_lock<std::mutex> lock(mutex_);
  wakeup_.wait(lock, [this] { return wakeupPending_; });
  wakeupPending_ = false;
}

void TThread::WaitFor() {
  std::thread finishing;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!thread_.joinable() || thread_.get_id() == std::this_thread::get_id()) return;
    finishing = std::move(thread_);
  }
  finishing.join();
}

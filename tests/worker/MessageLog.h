#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <vector>

#include "platform/MessageTarget.h"

// A window stand-in that records every posted message. It can hold the posting thread at a
// chosen message, so a test can act while the worker is known to be inside an operation.
class MessageLog : public MessageTarget {
 public:
  struct Message {
    unsigned number;
    intptr_t wParam;
    intptr_t lParam;
    bool operator==(const Message& other) const {
      return number == other.number && wParam == other.wParam && lParam == other.lParam;
    }
    friend std::ostream& operator<<(std::ostream& out, const Message& message) {
      return out << "(" << message.number << ", " << message.wParam << ", " << message.lParam
                 << ")";
    }
  };

  bool Post(unsigned number, intptr_t wParam, intptr_t lParam) override {
    std::unique_lock<std::mutex> lock(mutex_);
    messages_.push_back({number, wParam, lParam});
    changed_.notify_all();
    if (messages_.size() == holdAt_) {
      held_ = true;
      changed_.notify_all();
      changed_.wait(lock, [this] { return !held_; });
    }
    return true;
  }

  // The thread that posts message number `count` (from 1) waits there until Release().
  void HoldAt(size_t count) {
    std::lock_guard<std::mutex> lock(mutex_);
    holdAt_ = count;
  }
  bool WaitUntilHeld(std::chrono::seconds limit = std::chrono::seconds(20)) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, limit, [this] { return held_; });
  }
  void Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    held_ = false;
    holdAt_ = 0;
    changed_.notify_all();
  }

  bool WaitForCount(size_t count, std::chrono::seconds limit = std::chrono::seconds(20)) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return messages_.size() >= count; });
  }
  std::vector<Message> Messages() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
  }
  size_t Count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_.size();
  }

 private:
  mutable std::mutex mutex_;  // guards every field below
  std::condition_variable changed_;
  std::vector<Message> messages_;
  size_t holdAt_ = 0;
  bool held_ = false;
};

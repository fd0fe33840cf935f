#pragma once

#include <cstdint>

// The first message number free for a program's own window messages.
constexpr unsigned WM_USER = 0x0400;

// A window that other threads can post messages to: a number and two integer parameters.
// The toolkit layer implements it; the worker knows only this interface.
//
// Post() queues the message for the window's thread and returns at once, without waiting for
// it to be handled. Messages from one thread arrive in the order they were posted. It returns
// false when the message could not be queued.
class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  virtual bool Post(unsigned message, intptr_t wParam, intptr_t lParam) = 0;
};

// Posts to `target`; a null target takes nothing and reports false.
inline bool PostMessageA(MessageTarget* target, unsigned message, intptr_t wParam,
                         intptr_t lParam) {
  return target != nullptr && target->Post(message, wParam, lParam);
}

#pragma once

#include "platform/TThread.h"

// What a device reports to: a thread whose one operation for devices is Notify(), called on
// the thread that runs the device operation. It must return at once.
class ProcessListener : public TThread {
 public:
  enum Kind : int {
    NOTIFY_PROGRESS = 0,     // value: percentage 0 to 100
    NOTIFY_FINISHED = 1,     // value 100: a whole-memory transfer is over
    NOTIFY_SIGNATURE = 2,    // value 0: the worker holds a new signature word
    NOTIFY_IMAGE_READY = 3,  // value 100: the image of the last transfer can be saved
  };

  explicit ProcessListener(bool createSuspended) : TThread(createSuspended) {}
  ~ProcessListener() override = default;

  virtual void Notify(int value, int kind) = 0;
};

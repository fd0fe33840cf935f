#pragma once

#include <QObject>

#include "platform/MessageTarget.h"

// Posts window messages to a toolkit object; callable from any thread. The receiver must
// outlive every thread that posts to it.
class QtMessageTarget : public MessageTarget {
 public:
  explicit QtMessageTarget(QObject* receiver) : receiver_(receiver) {}
  bool Post(unsigned message, intptr_t wParam, intptr_t lParam) override;

 private:
  QObject* const receiver_;
};

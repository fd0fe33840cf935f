#pragma once

#include <utility>

#include "platform/Exception.h"
#include "platform/PortOpenFailure.h"

// The link could not open its port. Failure() says why as data, for each front end to word
// for its users; the message is its neutral English summary ("cannot open COM3 (/dev/ttyS2):
// No such file or directory"), for whatever shows no more than that.
class PortOpenError : public Exception {
 public:
  explicit PortOpenError(PortOpenFailure failure)
      : Exception(failure.Summary()), failure_(std::move(failure)) {}

  const PortOpenFailure& Failure() const { return failure_; }

 private:
  PortOpenFailure failure_;
};

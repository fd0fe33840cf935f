#pragma once

#include <exception>
#include <string>

// How a failure reads on the command line: one line, in English, control characters escaped,
// naming the port as the user gave it (a port that cannot be opened is told with the
// command line's advice, PortFailureLine); and the exit status it ends with.
class FailureMessage {
 public:
  static std::string Of(const std::exception& failure);
  static int StatusOf(const std::exception& failure);
};

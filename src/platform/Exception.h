#pragma once

#include <stdexcept>
#include <string>

// The one failure type the layers throw: its message is meant for the user and says what
// failed, on what, and what to do about it.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

#pragma once

#include <string>

#include "platform/Exception.h"

// A failure of the command line program with the exit status it ends with: 2 for a usage
// error or a bad input file (nothing was done), 1 for an operation that failed.
class CliError : public Exception {
 public:
  static constexpr int kFailed = 1;
  static constexpr int kUsage = 2;

  CliError(int status, const std::string& message) : Exception(message), status_(status) {}
  int Status() const { return status_; }

 private:
  int status_;
};

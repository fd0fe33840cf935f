#pragma once

#include <string>

#include "platform/Exception.h"

// The link could not open its port. The message is the window's: "Sériový port COM3 nelze
// otevřít" and, on a second line, what was tried and why; Failure() is that second line
// alone, in English, which names the port as it was given ("cannot open /dev/ttyUSB0:
// Permission denied; ..."), for programs that speak English only.
class PortOpenError : public Exception {
 public:
  PortOpenError(const std::string& deviceName, const std::string& failure)
      : Exception("Sériový port " + deviceName + " nelze otevřít" +
                  (failure.empty() ? "" : "\n" + failure)),
        failure_(failure.empty() ? "cannot open " + deviceName : failure) {}

  const std::string& Failure() const { return failure_; }

 private:
  std::string failure_;
};

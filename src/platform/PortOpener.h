#pragma once

#include <memory>
#include <string>

#include "platform/CommPort.h"

// Opens a port by its device name ("COM3"). Which device a name stands for is the opener's
// business: a real serial port, a path named by the environment, or the simulated adapter.
class PortOpener {
 public:
  virtual ~PortOpener() = default;
  // Returns the open port, or null with `failure` set to a line that says which device was
  // tried and why it could not be opened ("/dev/ttyS2: Permission denied ...").
  virtual std::unique_ptr<CommPort> Open(const std::string& deviceName, std::string& failure) = 0;
};

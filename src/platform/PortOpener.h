#pragma once

#include <memory>
#include <string>

#include "platform/CommPort.h"
#include "platform/PortOpenFailure.h"

// Opens a port by its device name ("COM3"). Which device a name stands for is the opener's
// business: a real serial port, a path named by the environment, or the simulated adapter.
class PortOpener {
 public:
  virtual ~PortOpener() = default;
  // Returns the open port, or null with `failure` saying why. An opener may fill in where the
  // name led (name, device, via) even when the port opens, so that a failure found later,
  // such as refused line settings, can say where it happened.
  virtual std::unique_ptr<CommPort> Open(const std::string& deviceName,
                                         PortOpenFailure& failure) = 0;
};

#pragma once

#include <memory>
#include <string>

#include "platform/CommPort.h"
#include "platform/FtdiDevice.h"
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

  // Whether `deviceName` leads to an FTDI chip whose pins the programmer drives itself, a
  // programmer of another kind than the adapter on a serial port.
  virtual bool LeadsToFtdi(const std::string& deviceName) const {
    (void)deviceName;
    return false;
  }
  // Opens that chip; null with `failure` saying why.
  virtual std::unique_ptr<FtdiDevice> OpenFtdi(const std::string& deviceName,
                                               PortOpenFailure& failure) {
    failure = PortOpenFailure::Of(deviceName);
    failure.cause = PortOpenFailure::Cause::UnknownName;
    failure.reason = "'" + deviceName + "' is no FTDI chip";
    return nullptr;
  }
};

#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/PortOpener.h"

// Lets the port menu put a device of the system's list behind the link. The link only forms
// "COMn" names; while a device is chosen, every name opens that device, and otherwise the
// names go on to `ports` unchanged.
//
// The window's thread chooses; the worker's thread opens. A choice made while an operation
// runs applies from the next opening.
class ChosenPortOpener : public PortOpener {
 public:
  explicit ChosenPortOpener(PortOpener& ports) : ports_(ports) {}

  // A path such as "/dev/ttyUSB0", or an FTDI chip ("ftdi:A50285BI"); empty goes back to the
  // COM names.
  void UseDevice(const std::string& path);
  std::string Device() const;

  std::unique_ptr<CommPort> Open(const std::string& deviceName, PortOpenFailure& failure) override;
  bool LeadsToFtdi(const std::string& deviceName) const override;
  std::unique_ptr<FtdiDevice> OpenFtdi(const std::string& deviceName,
                                       PortOpenFailure& failure) override;

 private:
  PortOpener& ports_;
  mutable std::mutex mutex_;  // guards device_
  std::string device_;
};

#pragma once

#include <memory>
#include <string>

#include "platform/CommPort.h"
#include "platform/FtdiDevice.h"
#include "platform/PortOpenFailure.h"

// A kind of port beside the system's own, reached by names of its own: the simulated adapter
// ("sim:AT89S52") registers itself with the PortResolver as one, and so does the simulated
// FTDI chip ("sim-ftdi"), whose ports are FTDI chips (IsFtdi) opened with OpenFtdi() instead
// of serial ports. Open() and OpenFtdi() may be called from several threads at once.
class PortTarget {
 public:
  virtual ~PortTarget() = default;

  // Whether `name` is written the way this target's names are ("sim..."), well formed or not.
  virtual bool Claims(const std::string& name) const = 0;
  // Empty when `name`, claimed, is one of the target's ports; else what is wrong with it.
  virtual std::string Check(const std::string& name) const = 0;
  // The one spelling of the port `name` stands for ("sim" and "SIM:at89s51": "sim:AT89S51").
  virtual std::string Canonical(const std::string& name) const = 0;
  // A line for the user: "simulated AT89S52 (sim:AT89S52)".
  virtual std::string Describe(const std::string& name) const = 0;
  // The open port, or null with the cause and reason of `failure` set; the resolver fills in
  // the rest.
  virtual std::unique_ptr<CommPort> Open(const std::string& name, PortOpenFailure& failure) = 0;

  // Whether the target's ports are FTDI chips driven directly rather than serial ports.
  virtual bool IsFtdi() const { return false; }
  // The FTDI chip `name` stands for; null with the cause and reason of `failure` set.
  virtual std::unique_ptr<FtdiDevice> OpenFtdi(const std::string& name, PortOpenFailure& failure) {
    (void)name;
    failure.cause = PortOpenFailure::Cause::NotSerial;
    return nullptr;
  }
};

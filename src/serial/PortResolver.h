#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/PortName.h"
#include "platform/PortOpener.h"
#include "platform/SystemPortList.h"
#include "serial/FtdiPorts.h"
#include "serial/PortTarget.h"

// Says which device a port name stands for on this machine, and opens it. The names, as
// PortName parses them:
//   COMn           the environment variable ISP89_COM<n> when set (any name below but a COM
//                  one, which leads nowhere: it would be a port named by another), else the
//                  system's own port: /dev/ttyS<n-1> on POSIX, \\.\COMn on Windows
//   a path         that device (/dev/ttyUSB0)
//   usb:VID:PID    the one USB serial port with these ids
//   ftdi...        an FTDI chip driven directly (FtdiPorts): no serial port, OpenFtdi() opens it
//   a word         a name of a registered target (sim:AT89S52), else a USB serial number
// A failure to open says, as data, why it failed and where the name led, naming the port as
// it was given: with /dev/ttyUSB0 it speaks of /dev/ttyUSB0, with COM3 of COM3 and of the
// device ISP89_COM3 names.
//
// Targets are added before the resolver is shared; then every call may come from any thread.
class PortResolver : public PortOpener {
 public:
  using PortLister = std::function<std::vector<SystemPort>()>;

  // `lister` gives the system's serial ports (for USB names and the port list), `ftdi` its
  // FTDI chips.
  explicit PortResolver(PortLister lister = ListSystemPorts, FtdiPorts ftdi = FtdiPorts());

  void AddTarget(PortTarget& target);

  std::unique_ptr<CommPort> Open(const std::string& name, PortOpenFailure& failure) override;
  bool LeadsToFtdi(const std::string& name) const override;
  std::unique_ptr<FtdiDevice> OpenFtdi(const std::string& name, PortOpenFailure& failure) override;

  // What `name` resolves to: a device ("/dev/ttyS0", "\\.\COM3"), a target's canonical name
  // ("sim:AT89S51"), or `name` itself when it stands for nothing that is there now.
  std::string Resolve(const std::string& name) const;
  // A line for the user: "/dev/ttyS0", "simulated AT89S52 (sim:AT89S52)".
  std::string Describe(const std::string& name) const;
  // Empty when `name` is written as a port name; else what is wrong with it.
  std::string Check(const std::string& name) const;

  std::vector<SystemPort> SystemPorts() const { return lister_(); }
  // The FTDI chips attached now; throws Exception when USB cannot be searched.
  std::vector<FtdiChipInfo> FtdiChips() const { return ftdi_.Chips(); }
  // The names COM1 to COM256 that resolve to `device`, in order.
  std::vector<std::string> ComNamesOf(const std::string& device) const;

  // The USB port `wanted` (a serial number or usb:VID:PID) picks among `ports`, or null with
  // the cause and reason of `failure` set, naming the candidates: none matches, or several do.
  static const SystemPort* ChooseUsbPort(const std::vector<SystemPort>& ports,
                                         const PortName& wanted, PortOpenFailure& failure);

 private:
  struct Resolution;
  Resolution ResolveName(const std::string& name) const;
  Resolution ResolveTarget(const PortName& name, Resolution resolution) const;
  Resolution ResolveUsb(const PortName& name, Resolution resolution) const;
  PortTarget* TargetClaiming(const std::string& name) const;

  PortLister lister_;
  FtdiPorts ftdi_;
  std::vector<PortTarget*> targets_;
};

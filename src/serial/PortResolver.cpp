#include "serial/PortResolver.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>

#include "platform/HexText.h"
#include "platform/NativePort.h"

// Where a name led: a device of the system, a target's port, or nowhere (with why).
struct PortResolver::Resolution {
  std::string device;  // a system device, a target's canonical name, or the name looked up
  PortTarget* target = nullptr;
  std::optional<PortName> ftdi;  // a system FTDI chip, by the name that picks it
  bool leadsNowhere = false;
  PortOpenFailure failure;  // the name as given and how it led on; why, when it leads nowhere

  void LeadNowhere(PortOpenFailure::Cause cause, std::string reason) {
    leadsNowhere = true;
    failure.cause = cause;
    failure.reason = std::move(reason);
  }
};

namespace {

bool EqualNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string UsbIds(const SystemPort& port) {
  if (port.vendorId < 0) return "";
  return Hex(static_cast<uint32_t>(port.vendorId), 4) + ":" +
         Hex(static_cast<uint32_t>(port.productId), 4);
}

// "/dev/ttyUSB0 (serial A50285BI, 0403:6001)".
std::string Candidate(const SystemPort& port) {
  std::string details;
  if (!port.serialNumber.empty()) details = "serial " + port.serialNumber;
  const std::string ids = UsbIds(port);
  if (!ids.empty()) details += (details.empty() ? "" : ", ") + ids;
  return port.name + (details.empty() ? "" : " (" + details + ")");
}

std::string Candidates(const std::vector<const SystemPort*>& ports) {
  std::string text;
  for (const SystemPort* port : ports) text += (text.empty() ? "" : ", ") + Candidate(*port);
  return text;
}

bool Matches(const SystemPort& port, const PortName& wanted) {
  if (port.transport != SystemPort::Transport::Usb) return false;
  if (wanted.kind == PortName::Kind::UsbId) {
    return port.vendorId == wanted.vendorId && port.productId == wanted.productId;
  }
  return !port.serialNumber.empty() && EqualNoCase(port.serialNumber, wanted.text);
}

std::string What(const PortName& wanted) {
  return wanted.kind == PortName::Kind::UsbId ? wanted.text
                                              : "the USB serial number '" + wanted.text + "'";
}

// A word that is the last part of a listed port's path was probably meant as that path.
std::string ListedPath(const std::vector<SystemPort>& ports, const PortName& wanted) {
  for (const SystemPort& port : ports) {
    const size_t slash = port.name.find_last_of("/\\");
    if (slash != std::string::npos && port.name.substr(slash + 1) == wanted.text) {
      return port.name;
    }
  }
  return "";
}

PortOpenFailure::Cause CauseOf(NativeOpenFailure::Cause cause) {
  switch (cause) {
    case NativeOpenFailure::Cause::NoDevice:
      return PortOpenFailure::Cause::NoDevice;
    case NativeOpenFailure::Cause::Permission:
      return PortOpenFailure::Cause::Permission;
    case NativeOpenFailure::Cause::InUse:
      return PortOpenFailure::Cause::InUse;
    case NativeOpenFailure::Cause::NotSerial:
      return PortOpenFailure::Cause::NotSerial;
    case NativeOpenFailure::Cause::Other:
      break;
  }
  return PortOpenFailure::Cause::Other;
}

std::unique_ptr<CommPort> OpenNative(const std::string& device, PortOpenFailure& failure) {
  NativeOpenFailure why;
  std::unique_ptr<CommPort> port = OpenNativePort(device, why);
  if (!port) {
    failure.cause = CauseOf(why.cause);
    failure.reason = why.reason;
    failure.group = why.group;
  }
  return port;
}

}  // namespace

PortResolver::PortResolver(PortLister lister, FtdiPorts ftdi)
    : lister_(std::move(lister)), ftdi_(std::move(ftdi)) {}

void PortResolver::AddTarget(PortTarget& target) { targets_.push_back(&target); }

PortTarget* PortResolver::TargetClaiming(const std::string& name) const {
  for (PortTarget* target : targets_) {
    if (target->Claims(name)) return target;
  }
  return nullptr;
}

PortResolver::Resolution PortResolver::ResolveName(const std::string& name) const {
  Resolution resolution;
  resolution.failure = PortOpenFailure::Of(name);
  PortName parsed = PortName::Parse(name);
  if (parsed.kind == PortName::Kind::Com) {
    const std::string variable = "ISP89_COM" + std::to_string(parsed.number);
    const char* named = std::getenv(variable.c_str());
    if (!named || !*named) {
      resolution.device = DefaultNativePortPath(parsed.number);
      return resolution;
    }
    resolution.failure.via = "from " + variable;
    parsed = PortName::Parse(named);
    // COMn there would stand for whatever ISP89_COMn names in turn, or for a port the user
    // cannot tell from this one's name: the variable names a device instead.
    if (parsed.kind == PortName::Kind::Com) {
      resolution.device = named;
      resolution.LeadNowhere(PortOpenFailure::Cause::UnknownName,
                             variable + " is '" + named +
                                 "': an environment variable cannot name another COM port; name "
                                 "its device (" +
                                 DefaultNativePortPath(parsed.number) + ") or use " + named +
                                 " itself");
      return resolution;
    }
  }
  return ResolveTarget(parsed, resolution);
}

PortResolver::Resolution PortResolver::ResolveTarget(const PortName& name,
                                                     Resolution resolution) const {
  resolution.device = name.text;
  if (name.kind == PortName::Kind::Path) return resolution;
  if (name.kind == PortName::Kind::Ftdi) {
    resolution.ftdi = name;
    resolution.device = ftdi_.Canonical(name);
    return resolution;
  }
  if (PortTarget* target =
          name.kind == PortName::Kind::Word ? TargetClaiming(name.text) : nullptr) {
    resolution.target = target;
    const std::string problem = target->Check(name.text);
    if (problem.empty()) {
      resolution.device = target->Canonical(name.text);
    } else {
      resolution.LeadNowhere(PortOpenFailure::Cause::UnknownName, problem);
    }
  } else if (name.kind == PortName::Kind::UsbId || name.kind == PortName::Kind::Word) {
    return ResolveUsb(name, resolution);
  } else {
    resolution.LeadNowhere(PortOpenFailure::Cause::UnknownName,
                           "'" + name.text + "' is no port name");
  }
  return resolution;
}

PortResolver::Resolution PortResolver::ResolveUsb(const PortName& name,
                                                  Resolution resolution) const {
  std::vector<SystemPort> ports;
  try {
    ports = lister_();
  } catch (const std::exception& e) {
    resolution.LeadNowhere(PortOpenFailure::Cause::Other, e.what());
    return resolution;
  }
  if (const SystemPort* chosen = ChooseUsbPort(ports, name, resolution.failure)) {
    resolution.device = chosen->name;
  } else {
    resolution.leadsNowhere = true;
    resolution.failure.listedPath = ListedPath(ports, name);
  }
  return resolution;
}

const SystemPort* PortResolver::ChooseUsbPort(const std::vector<SystemPort>& ports,
                                              const PortName& wanted, PortOpenFailure& failure) {
  std::vector<const SystemPort*> matching, usb;
  for (const SystemPort& port : ports) {
    if (port.transport == SystemPort::Transport::Usb) usb.push_back(&port);
    if (Matches(port, wanted)) matching.push_back(&port);
  }
  if (matching.size() == 1) return matching.front();
  if (matching.empty()) {
    failure.cause = PortOpenFailure::Cause::NoUsbMatch;
    failure.reason = "no serial port has " + What(wanted) + " (" +
                     (usb.empty() ? std::string("no USB serial adapter is connected")
                                  : "the USB serial ports: " + Candidates(usb)) +
                     ")";
  } else {
    failure.cause = PortOpenFailure::Cause::SeveralUsbMatch;
    failure.reason = std::to_string(matching.size()) + " serial ports have " + What(wanted) + ": " +
                     Candidates(matching);
  }
  return nullptr;
}

std::string PortResolver::Resolve(const std::string& name) const {
  return ResolveName(name).device;
}

std::string PortResolver::Describe(const std::string& name) const {
  Resolution resolution = ResolveName(name);
  if (resolution.target && !resolution.leadsNowhere) {
    return resolution.target->Describe(resolution.device);
  }
  if (resolution.ftdi) return ftdi_.Describe(*resolution.ftdi);
  return resolution.device;
}

std::string PortResolver::Check(const std::string& name) const {
  const PortName parsed = PortName::Parse(name);
  if (parsed.kind == PortName::Kind::Invalid && name.compare(0, 4, "ftdi") == 0) {
    return "'" + name +
           "' names no FTDI chip: ftdi, ftdi:SERIAL or ftdi:VID:PID, each "
           "optionally followed by :A ... :D for the interface";
  }
  if (parsed.kind == PortName::Kind::Invalid) return "'" + name + "' is no port name";
  if (parsed.kind == PortName::Kind::Com) {
    // Only what ISP89_COMn says can be wrong before anything is opened.
    const Resolution resolution = ResolveName(name);
    const bool misnamed = resolution.leadsNowhere &&
                          resolution.failure.cause == PortOpenFailure::Cause::UnknownName;
    return misnamed ? resolution.failure.reason : "";
  }
  if (parsed.kind != PortName::Kind::Word) return "";
  PortTarget* target = TargetClaiming(name);
  return target ? target->Check(name) : "";
}

std::vector<std::string> PortResolver::ComNamesOf(const std::string& device) const {
  std::vector<std::string> names;
  for (int n = 1; n <= PortName::kHighestCom; ++n) {
    const std::string name = "COM" + std::to_string(n);
    Resolution resolution = ResolveName(name);
    if (!resolution.target && !resolution.ftdi && !resolution.leadsNowhere &&
        SameNativeDevice(resolution.device, device)) {
      names.push_back(name);
    }
  }
  return names;
}

std::unique_ptr<CommPort> PortResolver::Open(const std::string& name, PortOpenFailure& failure) {
  Resolution resolution = ResolveName(name);
  failure = resolution.failure;
  if (resolution.leadsNowhere) return nullptr;
  failure.device = resolution.device;
  if (resolution.ftdi || (resolution.target && resolution.target->IsFtdi())) {
    failure.cause = PortOpenFailure::Cause::NotSerial;
    failure.reason = "an FTDI chip driven directly, not a serial port";
    return nullptr;
  }
  if (resolution.target) return resolution.target->Open(resolution.device, failure);
  return OpenNative(resolution.device, failure);
}

bool PortResolver::LeadsToFtdi(const std::string& name) const {
  Resolution resolution = ResolveName(name);
  return resolution.ftdi || (resolution.target && resolution.target->IsFtdi());
}

std::unique_ptr<FtdiDevice> PortResolver::OpenFtdi(const std::string& name,
                                                   PortOpenFailure& failure) {
  Resolution resolution = ResolveName(name);
  failure = resolution.failure;
  if (resolution.leadsNowhere) return nullptr;
  failure.device = resolution.device;
  if (resolution.ftdi) return ftdi_.Open(*resolution.ftdi, failure);
  if (resolution.target) return resolution.target->OpenFtdi(resolution.device, failure);
  failure.cause = PortOpenFailure::Cause::UnknownName;
  failure.reason = "'" + name + "' is no FTDI chip";
  return nullptr;
}

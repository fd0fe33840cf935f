#include "serial/PortResolver.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "platform/HexText.h"
#include "platform/NativePort.h"

// Where a name led: a device of the system, a target's port, or nowhere (with why).
struct PortResolver::Resolution {
  std::string given;   // the name as given
  std::string device;  // a system device, or the target's canonical name
  std::string via;     // how the name got there: "from ISP89_COM3"
  PortTarget* target = nullptr;
  std::string failure;         // set when the name leads nowhere
  bool namedByNumber = false;  // COMn: the hint may speak of ISP89_COM<n>
  int number = 0;
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
std::string PathHint(const std::vector<SystemPort>& ports, const PortName& wanted) {
  for (const SystemPort& port : ports) {
    const size_t slash = port.name.find_last_of("/\\");
    if (slash != std::string::npos && port.name.substr(slash + 1) == wanted.text) {
      return "; to name the device, give its path: " + port.name;
    }
  }
  return "";
}

std::string HintFor(const NativeOpenFailure& failure, bool namedByNumber, int number) {
  switch (failure.cause) {
    case NativeOpenFailure::Cause::NoDevice:
      return namedByNumber ? "; there is no such device: connect the adapter, or set ISP89_COM" +
                                 std::to_string(number) +
                                 " to its name (isp89-cli ports lists the serial ports there are)"
                           : "; there is no such device: connect the adapter (isp89-cli ports "
                             "lists the serial ports there are)";
    case NativeOpenFailure::Cause::Permission:
      if (failure.group.empty()) return "; your user may not open this device";
      return "; the device belongs to the group " + failure.group +
             ", and your user is not in it: add it (sudo usermod -aG " + failure.group +
             " $USER), then log in again";
    case NativeOpenFailure::Cause::InUse:
      return "; the port is in use by another program: close it and try again";
    case NativeOpenFailure::Cause::NotSerial:
      return "; this is not a serial port";
    case NativeOpenFailure::Cause::Other:
      break;
  }
  return "";
}

}  // namespace

PortResolver::PortResolver(PortLister lister) : lister_(std::move(lister)) {}

void PortResolver::AddTarget(PortTarget& target) { targets_.push_back(&target); }

PortTarget* PortResolver::TargetClaiming(const std::string& name) const {
  for (PortTarget* target : targets_) {
    if (target->Claims(name)) return target;
  }
  return nullptr;
}

PortResolver::Resolution PortResolver::ResolveName(const std::string& name) const {
  Resolution resolution;
  resolution.given = name;
  PortName parsed = PortName::Parse(name);
  if (parsed.kind == PortName::Kind::Com) {
    resolution.namedByNumber = true;
    resolution.number = parsed.number;
    const std::string variable = "ISP89_COM" + std::to_string(parsed.number);
    const char* named = std::getenv(variable.c_str());
    if (!named || !*named) {
      resolution.device = DefaultNativePortPath(parsed.number);
      return resolution;
    }
    resolution.via = "from " + variable;
    parsed = PortName::Parse(named);
    // A COM name there is the system's own port of that name (Windows: ISP89_COM3=COM12).
    if (parsed.kind == PortName::Kind::Com) {
      resolution.device = named;
      return resolution;
    }
  }
  return ResolveTarget(parsed, resolution);
}

PortResolver::Resolution PortResolver::ResolveTarget(const PortName& name,
                                                     Resolution resolution) const {
  if (name.kind == PortName::Kind::Path) {
    resolution.device = name.text;
  } else if (PortTarget* target =
                 name.kind == PortName::Kind::Word ? TargetClaiming(name.text) : nullptr) {
    resolution.failure = target->Check(name.text);
    resolution.target = target;
    resolution.device = resolution.failure.empty() ? target->Canonical(name.text) : name.text;
  } else if (name.kind == PortName::Kind::UsbId || name.kind == PortName::Kind::Word) {
    std::vector<SystemPort> ports;
    try {
      ports = lister_();
    } catch (const std::exception& e) {
      resolution.failure = e.what();
      return resolution;
    }
    const SystemPort* chosen = ChooseUsbPort(ports, name, resolution.failure);
    resolution.device = chosen ? chosen->name : name.text;
    if (!chosen) resolution.failure += PathHint(ports, name);
  } else {
    resolution.failure = "'" + name.text + "' is no port name";
  }
  return resolution;
}

const SystemPort* PortResolver::ChooseUsbPort(const std::vector<SystemPort>& ports,
                                              const PortName& wanted, std::string& failure) {
  std::vector<const SystemPort*> matching, usb;
  for (const SystemPort& port : ports) {
    if (port.transport == SystemPort::Transport::Usb) usb.push_back(&port);
    if (Matches(port, wanted)) matching.push_back(&port);
  }
  if (matching.size() == 1) return matching.front();
  if (matching.empty()) {
    failure = "no serial port has " + What(wanted) + " (" +
              (usb.empty() ? std::string("no USB serial adapter is connected")
                           : "the USB serial ports: " + Candidates(usb)) +
              ")";
  } else {
    failure = std::to_string(matching.size()) + " serial ports have " + What(wanted) + ": " +
              Candidates(matching) + "; choose one by its serial number or its path";
  }
  return nullptr;
}

std::string PortResolver::Resolve(const std::string& name) const {
  return ResolveName(name).device;
}

std::string PortResolver::Describe(const std::string& name) const {
  Resolution resolution = ResolveName(name);
  if (resolution.target && resolution.failure.empty()) {
    return resolution.target->Describe(resolution.device);
  }
  return resolution.device;
}

std::string PortResolver::Check(const std::string& name) const {
  const PortName parsed = PortName::Parse(name);
  if (parsed.kind == PortName::Kind::Invalid) return "'" + name + "' is no port name";
  if (parsed.kind != PortName::Kind::Word) return "";
  PortTarget* target = TargetClaiming(name);
  return target ? target->Check(name) : "";
}

std::vector<std::string> PortResolver::ComNamesOf(const std::string& device) const {
  std::vector<std::string> names;
  for (int n = 1; n <= PortName::kHighestCom; ++n) {
    const std::string name = "COM" + std::to_string(n);
    Resolution resolution = ResolveName(name);
    if (!resolution.target && resolution.failure.empty() &&
        SameNativeDevice(resolution.device, device)) {
      names.push_back(name);
    }
  }
  return names;
}

std::unique_ptr<CommPort> PortResolver::Open(const std::string& name, std::string& failure) {
  Resolution resolution = ResolveName(name);
  const std::string where = resolution.device == name
                                ? name
                                : name + " (" + resolution.device +
                                      (resolution.via.empty() ? "" : ", ") + resolution.via + ")";
  if (!resolution.failure.empty()) {
    failure = "cannot open " + name + ": " + resolution.failure;
    return nullptr;
  }
  if (resolution.target) {
    std::unique_ptr<CommPort> port = resolution.target->Open(resolution.device, failure);
    if (!port) failure = "cannot open " + where + ": " + failure;
    return port;
  }
  NativeOpenFailure why;
  std::unique_ptr<CommPort> port = OpenNativePort(resolution.device, why);
  if (!port) {
    failure = "cannot open " + where + ": " + why.reason +
              HintFor(why, resolution.namedByNumber, resolution.number);
  }
  return port;
}

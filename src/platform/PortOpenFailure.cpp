#include "platform/PortOpenFailure.h"

#include "platform/PortName.h"

PortOpenFailure PortOpenFailure::Of(const std::string& given) {
  PortOpenFailure failure;
  failure.name = given;
  const PortName parsed = PortName::Parse(given);
  if (parsed.kind == PortName::Kind::Com) failure.comNumber = parsed.number;
  return failure;
}

std::string PortOpenFailure::Where() const {
  if (device.empty() || device == name) return name;
  return name + " (" + device + (via.empty() ? "" : ", " + via) + ")";
}

std::string PortOpenFailure::Summary() const {
  return "cannot open " + Where() + (reason.empty() ? "" : ": " + reason);
}

#include "cli/PortChoice.h"

#include "cli/CliError.h"
#include "platform/PortName.h"

namespace {

[[noreturn]] void Unknown(const std::string& text, const std::string& why) {
  if (!why.empty()) throw CliError(CliError::kUsage, "unknown port '" + text + "': " + why);
  throw CliError(CliError::kUsage,
                 "unknown port '" + text +
                     "': use COMn (or just n), a device path such as /dev/ttyUSB0, a USB serial "
                     "number, usb:VID:PID, or sim, sim:AT89S51, sim:AT89S52 (isp89-cli ports "
                     "lists the serial ports)");
}

}  // namespace

std::string PortChoice::Normalize(const std::string& text) {
  const PortName name = PortName::Parse(text);
  if (name.kind == PortName::Kind::Invalid) Unknown(text, "");
  return name.kind == PortName::Kind::Com ? "COM" + std::to_string(name.number) : text;
}

void PortChoice::Check(const std::string& name, const PortResolver& resolver) {
  const std::string problem = resolver.Check(name);
  if (!problem.empty()) Unknown(name, problem);
}

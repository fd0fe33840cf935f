#include "cli/PortChoice.h"

#include <filesystem>

#include "cli/CliError.h"
#include "platform/PortName.h"

namespace {

[[noreturn]] void Unknown(const std::string& text, const std::string& why) {
  if (!why.empty()) throw CliError(CliError::kUsage, "unknown port '" + text + "': " + why);
  throw CliError(CliError::kUsage,
                 "unknown port '" + text +
                     "': use COMn (or just n), a device path such as /dev/ttyUSB0, a USB serial "
                     "number, usb:VID:PID, sim, sim:AT89S51, sim:AT89S52, or an FTDI chip: ftdi, "
                     "ftdi:SERIAL, ftdi:VID:PID, sim-ftdi (isp89-cli ports lists the ports)");
}

}  // namespace

std::string PortChoice::Normalize(const std::string& text) {
  if (text.size() > PortName::kLongest) {
    throw CliError(CliError::kUsage, "a port name of " + std::to_string(text.size()) +
                                         " characters is too long (at most " +
                                         std::to_string(PortName::kLongest) + "): '" +
                                         text.substr(0, 32) + "...'");
  }
  const PortName name = PortName::Parse(text);
  if (name.kind == PortName::Kind::Invalid) Unknown(text, "");
  return name.kind == PortName::Kind::Com ? "COM" + std::to_string(name.number) : text;
}

void PortChoice::Check(const std::string& name, const PortResolver& resolver) {
  const std::string problem = resolver.Check(name);
  if (!problem.empty()) Unknown(name, problem);
}

void PortChoice::CheckDistinct(const std::vector<std::string>& names,
                               const PortResolver& resolver) {
  std::vector<std::string> devices;
  for (const std::string& name : names) {
    std::string device = resolver.Resolve(name);
    std::error_code error;
    // A link such as /dev/serial/by-id/... and the device it names are one port.
    const std::filesystem::path real = std::filesystem::weakly_canonical(device, error);
    if (!error && std::filesystem::path(device).is_absolute()) device = real.string();
    for (size_t i = 0; i < devices.size(); ++i) {
      if (devices[i] != device) continue;
      throw CliError(CliError::kUsage, "-p " + names[i] + " and -p " + name +
                                           " are the same port (" + device +
                                           "): one adapter runs one session at a time");
    }
    devices.push_back(device);
  }
}

#include "cli/PortFailureLine.h"

#include "platform/FtdiBus.h"

namespace {

const char* const kListing = "isp89-cli ports lists the serial ports there are";

std::string NoDeviceAdvice(const PortOpenFailure& failure) {
  if (!failure.NamedByNumber()) {
    return std::string("; there is no such device: connect the adapter (") + kListing + ")";
  }
  return "; there is no such device: connect the adapter, or set ISP89_COM" +
         std::to_string(failure.comNumber) + " to its name (" + kListing + ")";
}

std::string PermissionAdvice(const std::string& group) {
  if (group.empty()) return "; your user may not open this device";
  return "; the device belongs to the group " + group +
         ", and your user is not in it: add it (sudo usermod -aG " + group +
         " $USER), then log in again";
}

// Without the udev rule an FTDI chip's USB device belongs to root alone.
std::string UsbPermissionAdvice(const PortOpenFailure& failure) {
  return std::string("; USB access to the FTDI chip was refused: the udev rule ") + kFtdiUdevRule +
         " (the isp89 package installs it) gives FTDI chips to the group " + failure.group +
         " and the user at the seat; install it, add your user to the group "
         "(sudo usermod -aG " +
         failure.group + " $USER), log in again and plug the chip in again";
}

// A name that matched no port, or several, may have been meant as a listed port's path.
std::string PathAdvice(const PortOpenFailure& failure) {
  if (failure.listedPath.empty()) return "";
  return "; to name the device, give its path: " + failure.listedPath;
}

std::string Advice(const PortOpenFailure& failure) {
  using Cause = PortOpenFailure::Cause;
  switch (failure.cause) {
    case Cause::NoDevice:
      return NoDeviceAdvice(failure);
    case Cause::Permission:
      return PermissionAdvice(failure.group);
    case Cause::InUse:
      return "; the port is in use by another program: close it and try again";
    case Cause::NotSerial:
      return "; this is not a serial port";
    case Cause::SeveralUsbMatch:
      return "; choose one by its serial number or its path" + PathAdvice(failure);
    case Cause::NoUsbMatch:
      return PathAdvice(failure);
    case Cause::UsbPermission:
      return UsbPermissionAdvice(failure);
    case Cause::UnknownName:
    case Cause::SettingsRefused:
    case Cause::Other:
      break;
  }
  return "";
}

}  // namespace

std::string PortFailureLine(const PortOpenFailure& failure) {
  // The port did open: the line settings are what failed on it.
  if (failure.cause == PortOpenFailure::Cause::SettingsRefused) {
    return failure.name + ": " + failure.reason;
  }
  return failure.Summary() + Advice(failure);
}

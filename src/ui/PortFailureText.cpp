#include "ui/PortFailureText.h"

#include <cctype>

#include "platform/FtdiBus.h"

namespace {

using Cause = PortOpenFailure::Cause;

const char* const kOtherPort = "choose another port in the port menu";

// The device behind the port's name, when it is another: "/dev/ttyUSB0 (from ISP89_COM3)".
std::string Device(const PortOpenFailure& failure) {
  if (failure.device.empty() || failure.device == failure.name) return failure.name;
  return failure.device + (failure.via.empty() ? "" : " (" + failure.via + ")");
}

bool IsNameCause(Cause cause) {
  return cause == Cause::UnknownName || cause == Cause::NoUsbMatch ||
         cause == Cause::SeveralUsbMatch;
}

// What happened: the device and the system's reason, or for a name, what it matched.
std::string Fact(const PortOpenFailure& failure) {
  if (IsNameCause(failure.cause) && !failure.reason.empty()) return failure.reason;
  return Device(failure) + (failure.reason.empty() ? "" : ": " + failure.reason);
}

std::string PermissionAdvice(const std::string& group) {
  if (group.empty()) return std::string("your user may not open this device: ") + kOtherPort;
  return "the device belongs to the group " + group +
         ", and your user is not in it: add it (sudo usermod -aG " + group +
         " $USER), then log in again";
}

std::string NoUsbMatchAdvice(const std::string& listedPath) {
  if (listedPath.empty()) return std::string("connect the adapter, or ") + kOtherPort;
  return "choose " + listedPath + " in the port menu";
}

std::string Advice(const PortOpenFailure& failure) {
  switch (failure.cause) {
    case Cause::NoDevice:
      return std::string("connect the adapter, or ") + kOtherPort;
    case Cause::Permission:
      return PermissionAdvice(failure.group);
    case Cause::InUse:
      return "the port is in use by another program: close it and try again";
    case Cause::NotSerial:
      return std::string("this is not a serial port: ") + kOtherPort;
    case Cause::NoUsbMatch:
      return NoUsbMatchAdvice(failure.listedPath);
    case Cause::SeveralUsbMatch:
      return "choose the adapter by its device in the port menu";
    case Cause::UsbPermission:
      return std::string("USB access to the FTDI chip was refused: the udev rule ") +
             kFtdiUdevRule + " (the isp89 package installs it) gives FTDI chips to the group " +
             failure.group +
             " and the user at the seat; install it, add your user to the group "
             "(sudo usermod -aG " +
             failure.group +
             " $USER), log in again and plug the chip in "
             "again";
    case Cause::UnknownName:
    case Cause::SettingsRefused:
      return kOtherPort;
    case Cause::Other:
      break;
  }
  return "";
}

std::string Capitalized(std::string text) {
  if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  return text;
}

}  // namespace

std::string PortFailureText(const PortOpenFailure& failure) {
  const std::string advice = Advice(failure);
  return "Sériový port " + failure.name + " nelze otevřít\n" + Capitalized(Fact(failure)) +
         (advice.empty() ? "" : ". " + Capitalized(advice)) + ".";
}

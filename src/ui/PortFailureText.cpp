#include "ui/PortFailureText.h"

#include <QCoreApplication>
#include <QString>

#include "platform/FtdiBus.h"

namespace {

using Cause = PortOpenFailure::Cause;

// The window's words, in its language.
class PortFailureWords {
  Q_DECLARE_TR_FUNCTIONS(PortFailureText)
};

QString Q(const std::string& text) { return QString::fromStdString(text); }

QString OtherPort() { return PortFailureWords::tr("choose another port in the port menu"); }

// The device behind the port's name, when it is another: "/dev/ttyUSB0 (from ISP89_COM3)".
QString Device(const PortOpenFailure& failure) {
  if (failure.device.empty() || failure.device == failure.name) return Q(failure.name);
  return Q(failure.device) + (failure.via.empty() ? "" : " (" + Q(failure.via) + ")");
}

bool IsNameCause(Cause cause) {
  return cause == Cause::UnknownName || cause == Cause::NoUsbMatch ||
         cause == Cause::SeveralUsbMatch;
}

QString Capitalized(const QString& text) {
  return text.isEmpty() ? text : text.left(1).toUpper() + text.mid(1);
}

// What happened: the device and the system's reason, or for a name, what it matched. A
// device's name is shown as it is spelled ("ftdi:A50285BI"), a sentence starts upper case.
QString Fact(const PortOpenFailure& failure) {
  if (IsNameCause(failure.cause) && !failure.reason.empty()) return Capitalized(Q(failure.reason));
  return Device(failure) + (failure.reason.empty() ? "" : ": " + Q(failure.reason));
}

QString PermissionAdvice(const std::string& group) {
  if (group.empty())
    return PortFailureWords::tr("your user may not open this device: %1").arg(OtherPort());
  return PortFailureWords::tr(
             "the device belongs to the group %1, and your user is not in it: add it (sudo "
             "usermod -aG %1 $USER), then log in again")
      .arg(Q(group));
}

QString UsbPermissionAdvice(const std::string& group) {
  return PortFailureWords::tr(
             "USB access to the FTDI chip was refused: the udev rule %1 (the isp89 package "
             "installs it) gives FTDI chips to the group %2 and the user at the seat; install it, "
             "add your user to the group (sudo usermod -aG %2 $USER), log in again and plug the "
             "chip in again")
      .arg(Q(kFtdiUdevRule), Q(group));
}

QString NoUsbMatchAdvice(const std::string& listedPath) {
  if (listedPath.empty())
    return PortFailureWords::tr("connect the adapter, or %1").arg(OtherPort());
  return PortFailureWords::tr("choose %1 in the port menu").arg(Q(listedPath));
}

QString Advice(const PortOpenFailure& failure) {
  switch (failure.cause) {
    case Cause::NoDevice:
      return PortFailureWords::tr("connect the adapter, or %1").arg(OtherPort());
    case Cause::Permission:
      return PermissionAdvice(failure.group);
    case Cause::InUse:
      return PortFailureWords::tr("the port is in use by another program: close it and try again");
    case Cause::NotSerial:
      return PortFailureWords::tr("this is not a serial port: %1").arg(OtherPort());
    case Cause::NoUsbMatch:
      return NoUsbMatchAdvice(failure.listedPath);
    case Cause::SeveralUsbMatch:
      return PortFailureWords::tr("choose the adapter by its device in the port menu");
    case Cause::UsbPermission:
      return UsbPermissionAdvice(failure.group);
    case Cause::UnknownName:
    case Cause::SettingsRefused:
      return OtherPort();
    case Cause::Other:
      break;
  }
  return {};
}

}  // namespace

std::string PortFailureText(const PortOpenFailure& failure) {
  const QString advice = Advice(failure);
  return (PortFailureWords::tr("Serial port %1 cannot be opened").arg(Q(failure.name)) + "\n" +
          Fact(failure) + (advice.isEmpty() ? "" : ". " + Capitalized(advice)) + ".")
      .toStdString();
}

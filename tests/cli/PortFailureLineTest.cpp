// The command line's words for a port that cannot be opened: the summary and the advice a
// shell user can follow, chosen by the cause and by how the port was named.
#include <gtest/gtest.h>

#include "cli/PortFailureLine.h"

#include "platform/FtdiBus.h"

namespace {

using Cause = PortOpenFailure::Cause;

// A failure to open `name`; `group`, `via` and `listedPath` as a port's owner, the variable
// that named it and the path the system lists for it give them.
PortOpenFailure Failure(Cause cause, const std::string& name, const std::string& device,
                        const std::string& reason, const std::string& group = "",
                        const std::string& via = "", const std::string& listedPath = "") {
  PortOpenFailure failure = PortOpenFailure::Of(name);
  failure.cause = cause;
  failure.device = device;
  failure.reason = reason;
  failure.group = group;
  failure.via = via;
  failure.listedPath = listedPath;
  return failure;
}

TEST(PortFailureLine, EachCauseEndsWithWhatAShellUserCanDo) {
  const std::string listing = "(isp89-cli ports lists the serial ports there are)";
  const std::string refused =
      "the driver refused the line settings (4800 baud, 8 data bits, no parity, 1 stop bit)";
  const std::string several =
      "2 serial ports have usb:0403:6001: /dev/ttyUSB0 (serial A5, 0403:6001), /dev/ttyUSB1 "
      "(serial B7, 0403:6001)";
  struct Case {
    PortOpenFailure failure;
    std::string line;
  } cases[] = {
      {Failure(Cause::NoDevice, "COM3", "/dev/ttyS2", "No such file or directory"),
       "cannot open COM3 (/dev/ttyS2): No such file or directory; there is no such device: "
       "connect the adapter, or set ISP89_COM3 to its name " +
           listing},
      {Failure(Cause::NoDevice, "/dev/ttyUSB0", "/dev/ttyUSB0", "No such file or directory"),
       "cannot open /dev/ttyUSB0: No such file or directory; there is no such device: connect "
       "the adapter " +
           listing},
      {Failure(Cause::Permission, "/dev/ttyUSB0", "/dev/ttyUSB0", "Permission denied", "dialout"),
       "cannot open /dev/ttyUSB0: Permission denied; the device belongs to the group dialout, "
       "and your user is not in it: add it (sudo usermod -aG dialout $USER), then log in again"},
      {Failure(Cause::Permission, "COM2", "/dev/ttyS1", "Permission denied"),
       "cannot open COM2 (/dev/ttyS1): Permission denied; your user may not open this device"},
      {Failure(Cause::UsbPermission, "ftdi", "ftdi:A50285BI", "Access denied", "plugdev"),
       std::string("cannot open ftdi (ftdi:A50285BI): Access denied; USB access to the FTDI chip "
                   "was refused: the udev rule ") +
           kFtdiUdevRule +
           " (the isp89 package installs it) gives FTDI chips to the group plugdev and the "
           "user at the seat; install it, add your user to the group (sudo usermod -aG plugdev "
           "$USER), log in again and plug the chip in again"},
      {Failure(Cause::InUse, "COM1", "\\\\.\\COM1", "Access is denied (error 5)"),
       "cannot open COM1 (\\\\.\\COM1): Access is denied (error 5); the port is in use by "
       "another program: close it and try again"},
      {Failure(Cause::NotSerial, "/tmp/x", "/tmp/x", "Inappropriate ioctl for device"),
       "cannot open /tmp/x: Inappropriate ioctl for device; this is not a serial port"},
      {Failure(Cause::SeveralUsbMatch, "usb:0403:6001", "", several),
       "cannot open usb:0403:6001: " + several + "; choose one by its serial number or its path"},
      {Failure(Cause::NoUsbMatch, "ttyUSB0", "",
               "no serial port has the USB serial number 'ttyUSB0'", "", "", "/dev/ttyUSB0"),
       "cannot open ttyUSB0: no serial port has the USB serial number 'ttyUSB0'; to name the "
       "device, give its path: /dev/ttyUSB0"},
      {Failure(Cause::UnknownName, "sim:X", "", "'sim:X' names no simulated chip"),
       "cannot open sim:X: 'sim:X' names no simulated chip"},
      {Failure(Cause::SettingsRefused, "COM4", "/dev/ttyUSB0", refused, "", "from ISP89_COM4"),
       "COM4: " + refused},
      {Failure(Cause::Other, "COM4", "fake:X", "fakes do not open", "", "from ISP89_COM4"),
       "cannot open COM4 (fake:X, from ISP89_COM4): fakes do not open"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.line, PortFailureLine(c.failure));
}

}  // namespace

// The window's words for a port that cannot be opened: its first line, then what went wrong
// and what to do in the window, never at a shell.
#include <gtest/gtest.h>

#include "ui/PortFailureText.h"

namespace {

using Cause = PortOpenFailure::Cause;

PortOpenFailure Failure(Cause cause, const std::string& name, const std::string& device,
                        const std::string& reason) {
  PortOpenFailure failure = PortOpenFailure::Of(name);
  failure.cause = cause;
  failure.device = device;
  failure.reason = reason;
  return failure;
}

TEST(PortFailureText, EachCauseIsExplainedWithWhatToDoInTheWindow) {
  struct Case {
    Cause cause;
    const char *name, *device, *reason;
    const char *via, *group, *listedPath;  // where the failure knows them
    std::string text;
  } cases[] = {
      {Cause::NoDevice, "COM3", "/dev/ttyS2", "No such file or directory", "", "", "",
       "Serial port COM3 cannot be opened\n/dev/ttyS2: No such file or directory. Connect the "
       "adapter, or choose another port in the port menu."},
      {Cause::NoDevice, "COM5", "/dev/ttyUSB9", "No such file or directory", "from ISP89_COM5", "",
       "",
       "Serial port COM5 cannot be opened\n/dev/ttyUSB9 (from ISP89_COM5): No such file or "
       "directory. Connect the adapter, or choose another port in the port menu."},
      {Cause::Permission, "COM1", "/dev/ttyS0", "Permission denied", "", "dialout", "",
       "Serial port COM1 cannot be opened\n/dev/ttyS0: Permission denied. The device belongs to "
       "the group dialout, and your user is not in it: add it (sudo usermod -aG dialout $USER), "
       "then log in again."},
      {Cause::Permission, "COM1", "/dev/ttyS0", "Permission denied", "", "", "",
       "Serial port COM1 cannot be opened\n/dev/ttyS0: Permission denied. Your user may not open "
       "this device: choose another port in the port menu."},
      {Cause::UsbPermission, "ftdi", "ftdi:A50285BI", "Access denied", "", "plugdev", "",
       "Serial port ftdi cannot be opened\nftdi:A50285BI: Access denied. USB access to the FTDI "
       "chip was refused: the udev rule /usr/lib/udev/rules.d/60-isp89-ftdi.rules (the isp89 "
       "package installs it) gives FTDI chips to the group plugdev and the user at the seat; "
       "install it, add your user to the group (sudo usermod -aG plugdev $USER), log in again "
       "and plug the chip in again."},
      {Cause::InUse, "COM2", "COM2", "Access is denied (error 5)", "", "", "",
       "Serial port COM2 cannot be opened\nCOM2: Access is denied (error 5). The port is in use "
       "by another program: close it and try again."},
      {Cause::NotSerial, "COM2", "/tmp/x", "Inappropriate ioctl for device", "", "", "",
       "Serial port COM2 cannot be opened\n/tmp/x: Inappropriate ioctl for device. This is not a "
       "serial port: choose another port in the port menu."},
      {Cause::NoUsbMatch, "ttyUSB0", "", "no serial port has the USB serial number 'ttyUSB0'", "",
       "", "/dev/ttyUSB0",
       "Serial port ttyUSB0 cannot be opened\nNo serial port has the USB serial number "
       "'ttyUSB0'. Choose /dev/ttyUSB0 in the port menu."},
      {Cause::SeveralUsbMatch, "usb:0403:6001", "",
       "2 serial ports have usb:0403:6001: /dev/ttyUSB0, /dev/ttyUSB1", "", "", "",
       "Serial port usb:0403:6001 cannot be opened\n2 serial ports have usb:0403:6001: "
       "/dev/ttyUSB0, /dev/ttyUSB1. Choose the adapter by its device in the port menu."},
      {Cause::SettingsRefused, "COM4", "/dev/ttyUSB0",
       "the driver refused the line settings (4800 baud)", "", "", "",
       "Serial port COM4 cannot be opened\n/dev/ttyUSB0: the driver refused the line settings "
       "(4800 baud). Choose another port in the port menu."},
      {Cause::Other, "COM4", "", "the port list is not available", "", "", "",
       "Serial port COM4 cannot be opened\nCOM4: the port list is not available."},
  };
  for (const Case& c : cases) {
    PortOpenFailure failure = Failure(c.cause, c.name, c.device, c.reason);
    failure.via = c.via;
    failure.group = c.group;
    failure.listedPath = c.listedPath;
    EXPECT_EQ(c.text, PortFailureText(failure)) << c.name << " " << c.reason;
  }
}

// A window user has no shell at hand: whatever the cause, the remedy is never the command
// line program or an environment variable, even for a port an environment variable named.
TEST(PortFailureText, NoCauseSendsTheUserToAShell) {
  for (Cause cause : {Cause::Other, Cause::NoDevice, Cause::Permission, Cause::InUse,
                      Cause::NotSerial, Cause::UnknownName, Cause::NoUsbMatch,
                      Cause::SeveralUsbMatch, Cause::SettingsRefused, Cause::UsbPermission}) {
    PortOpenFailure failure = Failure(cause, "COM3", "/dev/ttyUSB0", "some reason");
    failure.via = "from ISP89_COM3";
    const std::string text = PortFailureText(failure);
    EXPECT_EQ(0u, text.find("Serial port COM3 cannot be opened\n")) << text;
    EXPECT_EQ(std::string::npos, text.find("isp89-cli")) << text;
    EXPECT_EQ(std::string::npos, text.find("set ISP89")) << text;
  }
}

}  // namespace

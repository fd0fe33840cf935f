#pragma once

#include <string>

// Why a port could not be opened, as data: what went wrong, the name as the user gave it and
// where it led. Each front end words it for its own users (src/cli, src/ui); the one sentence
// made here, Summary(), is plain and neutral, for logs and for programs that show no more.
struct PortOpenFailure {
  enum class Cause {
    Other,            // the reason says it all
    NoDevice,         // nothing answers to the device name: the adapter is not connected
    Permission,       // the user may not open the device
    InUse,            // another program holds the port
    NotSerial,        // the device opens, but is no serial port (a file, a disk)
    UnknownName,      // the name stands for no port: malformed, or a target does not know it
    NoUsbMatch,       // a USB serial number or usb:VID:PID that no connected port has
    SeveralUsbMatch,  // ... that several connected ports have
    SettingsRefused,  // the port opened, but the driver refused the line settings
    UsbPermission,    // USB access to an FTDI chip was refused: no udev rule, or not in its group
  };

  // A failure of the port named `given`, with the COM number filled in when it is a COM name.
  static PortOpenFailure Of(const std::string& given);

  bool NamedByNumber() const { return comNumber > 0; }
  // The port as given and, when it led elsewhere, where and how: "COM3 (/dev/ttyUSB0, from
  // ISP89_COM3)", "/dev/ttyUSB0".
  std::string Where() const;
  // "cannot open COM3 (/dev/ttyS2): No such file or directory".
  std::string Summary() const;

  Cause cause = Cause::Other;
  // In neutral words, never advice: the system's ("Permission denied"), or for the name
  // causes what the name matched ("no serial port has the USB serial number 'B7' (the USB
  // serial ports: /dev/ttyUSB0 (serial A50285BI, 0403:6001))").
  std::string reason;
  std::string group;       // Permission, POSIX: the group that owns the device ("dialout");
                           // UsbPermission: the group the udev rule gives FTDI chips to
  std::string name;        // as given: "COM3", "/dev/ttyUSB0", "A50285BI"
  std::string device;      // where the name led ("/dev/ttyS2", "sim:AT89S52"); empty if nowhere
  std::string via;         // how it led there, when not by itself: "from ISP89_COM3"
  int comNumber = 0;       // n when the name is COMn, else 0
  std::string listedPath;  // a listed port whose file name is the name given ("/dev/ttyUSB0")
};

#pragma once

#include <cstdint>
#include <string>

// A port name as a user or the link writes it, taken apart; the one place that parses them.
//   COM3, com3, 3            Com: the port number (1 to 256, as on Windows; 1 to 3 digits)
//   /dev/ttyUSB0, \\.\COM3   Path: a device of the system (anything with a slash)
//   usb:0403:6001            UsbId: the USB adapter with this vendor and product id (hex)
//   ftdi, ftdi:A50285BI,     Ftdi: an FTDI chip whose pins the programmer drives itself: the
//   ftdi:0403:6010:B         one attached, or by serial number or ids; :A to :D the interface
//   A50285BI, sim:AT89S52    Word: a USB serial number, or a name a port target claims
// Empty text, COM0 or COM999, a malformed usb: or ftdi: name, a name longer than kLongest are
// Invalid.
struct PortName {
  enum class Kind { Invalid, Com, Path, UsbId, Ftdi, Word };
  static constexpr int kHighestCom = 256;
  // No port's name is longer (a device path included): a longer one is no name, and is not
  // echoed whole in a message.
  static constexpr size_t kLongest = 255;

  static PortName Parse(const std::string& text);

  Kind kind = Kind::Invalid;
  std::string text;                      // as given
  int number = 0;                        // Com
  uint16_t vendorId = 0, productId = 0;  // UsbId; Ftdi with hasIds
  bool hasIds = false;                   // Ftdi: picked by vendor and product id
  std::string serialNumber;              // Ftdi: picked by serial number
  int interfaceIndex = 0;                // Ftdi: 0 for A, 1 for B ...
};

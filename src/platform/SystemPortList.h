#pragma once

#include <string>
#include <vector>

// One serial port the system has, as its port enumeration reports it.
struct SystemPort {
  enum class Transport { Native, Usb, Bluetooth, Other };

  std::string name;  // what opens it: /dev/ttyUSB0, COM3
  Transport transport = Transport::Other;
  std::string description;  // the system's words: "FT232R USB UART", Windows' friendly name
  std::string manufacturer, product, serialNumber;  // USB, when the device says
  int vendorId = -1, productId = -1;                // USB, else -1
};

// The serial ports present now: libserialport's enumeration on Linux and macOS
// (SystemPortListSerialport.cpp), SetupAPI's Ports class on Windows (SystemPortListWin32.cpp).
// Pseudo-terminals are not serial ports and are not listed. Throws Exception when the system
// refuses the enumeration; no ports is an empty list.
std::vector<SystemPort> ListSystemPorts();

#pragma once

#include <string>
#include <vector>

#include "platform/SystemPortList.h"

// The system's serial ports as the toolkit's serial port module finds them (udev or sysfs on
// Linux, the registry on Windows), for the window's port menu. Only the list comes from
// there: the ports are opened by the link.
class QtSerialPorts {
 public:
  // Any thread.
  static std::vector<SystemPort> List();
  // "/dev/ttyUSB0 - FTDI FT232R USB UART": the name, then the maker and the product (the
  // system's description when the device names no product), the maker left out when the
  // product's name already starts with it; the name alone when nothing more is known.
  static std::string Caption(const SystemPort& port);
  // "serial number A50285BI, USB 0403:6001"; empty when the device says neither.
  static std::string Details(const SystemPort& port);
};

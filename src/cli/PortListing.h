#pragma once

#include <string>
#include <vector>

#include "platform/SystemPortList.h"
#include "serial/PortResolver.h"

// `isp89-cli ports`: the serial ports the system has, one a line: the name to give -p, the
// COMn names that lead to it, and what it is:
//   /dev/ttyUSB0  COM3  USB: FTDI FT232R USB UART, serial A50285BI, 0403:6001
//   /dev/ttyS0    COM1  serial port
// then the FTDI chips a programmer can drive directly, one line for each interface:
//   ftdi:A50285BI  -     FTDI FT232R USB UART, serial A50285BI, 0403:6001: bit-bang
// then the ports that ISP89_COM<n> names and the system does not list (a pseudo-terminal of
// isp89-sim, a simulated chip). "no serial ports found" when the system has none.
class PortListing {
 public:
  struct Entry {
    std::string name;
    std::vector<std::string> comNames;
    std::string what;
    bool listed = true;  // by the system; else named by ISP89_COM<n> only
    bool ftdi = false;   // an FTDI chip driven directly
  };

  // Throws Exception when the system refuses the enumeration.
  static std::vector<Entry> Collect(const PortResolver& resolver);
  static std::string Format(const std::vector<Entry>& entries);
  // What a listed port is, in words.
  static std::string What(const SystemPort& port);
  // What an FTDI chip is, in words.
  static std::string What(const FtdiChipInfo& chip);
};

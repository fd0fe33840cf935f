#pragma once

#include <string>
#include <vector>

// The serial ports this machine has, asked anew at each call, for the port menu.
class SystemPortList {
 public:
  struct Port {
    std::string path;          // what opens it: "/dev/ttyUSB0", "\\.\COM3"
    std::string manufacturer;  // "FTDI"; empty when unknown
    std::string description;   // the product: "FT232R USB UART"; empty when unknown
    std::string details;       // serial number and USB ids; empty when unknown
  };

  virtual ~SystemPortList() = default;
  virtual std::vector<Port> List() = 0;

  // "/dev/ttyUSB0 - FTDI FT232R USB UART": the path, then the maker and the product, the
  // maker left out when the product's name already starts with it; the path alone when
  // nothing more is known.
  static std::string Caption(const Port& port);
};

#include "ui/widgets/QtSerialPorts.h"

#include <QFile>
#include <QSerialPortInfo>
#include <algorithm>
#include <cctype>

#include "platform/HexText.h"

namespace {

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

}  // namespace

std::vector<SystemPort> QtSerialPorts::List() {
  std::vector<SystemPort> ports;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    SystemPort port;
    port.name = QFile::encodeName(info.systemLocation()).toStdString();
    port.description = info.description().toStdString();
    port.manufacturer = info.manufacturer().toStdString();
    port.serialNumber = info.serialNumber().toStdString();
    if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
      port.transport = SystemPort::Transport::Usb;
      port.vendorId = info.vendorIdentifier();
      port.productId = info.productIdentifier();
    }
    ports.push_back(port);
  }
  return ports;
}

std::string QtSerialPorts::Caption(const SystemPort& port) {
  std::string what = port.product.empty() ? port.description : port.product;
  if (!port.manufacturer.empty() && !StartsWithIgnoringCase(what, port.manufacturer)) {
    what = what.empty() ? port.manufacturer : port.manufacturer + " " + what;
  }
  return what.empty() ? port.name : port.name + " - " + what;
}

std::string QtSerialPorts::Details(const SystemPort& port) {
  std::string details;
  if (!port.serialNumber.empty()) details = "serial number " + port.serialNumber;
  if (port.vendorId >= 0 && port.productId >= 0) {
    if (!details.empty()) details += ", ";
    details += "USB " + Hex(static_cast<uint32_t>(port.vendorId), 4) + ":" +
               Hex(static_cast<uint32_t>(port.productId), 4);
  }
  return details;
}

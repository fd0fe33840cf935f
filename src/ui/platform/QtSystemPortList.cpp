#include "ui/platform/QtSystemPortList.h"

#include <QFile>
#include <QSerialPortInfo>
#include <QString>

namespace {

std::string Hex4(quint16 value) { return QString::asprintf("%04X", value).toStdString(); }

std::string DetailsOf(const QSerialPortInfo& info) {
  std::string details;
  if (!info.serialNumber().isEmpty()) {
    details = "serial number " + info.serialNumber().toStdString();
  }
  if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
    if (!details.empty()) details += ", ";
    details += "USB " + Hex4(info.vendorIdentifier()) + ":" + Hex4(info.productIdentifier());
  }
  return details;
}

}  // namespace

std::vector<SystemPortList::Port> QtSystemPortList::List() {
  std::vector<Port> ports;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    ports.push_back({QFile::encodeName(info.systemLocation()).toStdString(),
                     info.manufacturer().toStdString(), info.description().toStdString(),
                     DetailsOf(info)});
  }
  return ports;
}

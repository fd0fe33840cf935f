#include <libserialport.h>

#include <memory>

#include "platform/Exception.h"
#include "platform/SystemPortList.h"

namespace {

std::string Text(const char* text) { return text ? text : ""; }

SystemPort::Transport TransportOf(sp_transport transport) {
  switch (transport) {
    case SP_TRANSPORT_NATIVE:
      return SystemPort::Transport::Native;
    case SP_TRANSPORT_USB:
      return SystemPort::Transport::Usb;
    case SP_TRANSPORT_BLUETOOTH:
      return SystemPort::Transport::Bluetooth;
  }
  return SystemPort::Transport::Other;
}

SystemPort Describe(sp_port* found) {
  SystemPort port;
  port.name = Text(sp_get_port_name(found));
  port.transport = TransportOf(sp_get_port_transport(found));
  port.description = Text(sp_get_port_description(found));
  if (port.transport != SystemPort::Transport::Usb) return port;
  port.manufacturer = Text(sp_get_port_usb_manufacturer(found));
  port.product = Text(sp_get_port_usb_product(found));
  port.serialNumber = Text(sp_get_port_usb_serial(found));
  int vendor = -1, product = -1;
  if (sp_get_port_usb_vid_pid(found, &vendor, &product) == SP_OK) {
    port.vendorId = vendor;
    port.productId = product;
  }
  return port;
}

}  // namespace

std::vector<SystemPort> ListSystemPorts() {
  sp_port** found = nullptr;
  if (sp_list_ports(&found) != SP_OK) {
    std::unique_ptr<char, decltype(&sp_free_error_message)> why(sp_last_error_message(),
                                                                &sp_free_error_message);
    throw Exception("cannot list the serial ports: " + Text(why.get()));
  }
  std::unique_ptr<sp_port*, decltype(&sp_free_port_list)> owned(found, &sp_free_port_list);
  std::vector<SystemPort> ports;
  for (sp_port** each = found; *each; ++each) ports.push_back(Describe(*each));
  return ports;
}

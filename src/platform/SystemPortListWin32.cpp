// The serial ports of the Ports device class, as the Device Manager shows them. libserialport
// is not packaged for the mingw-w64 cross build, and SetupAPI is what it uses there too.
#include <windows.h>
// windows.h first: the SetupAPI headers need its types.
#include <devguid.h>
#include <setupapi.h>

#include <cstdlib>
#include <string>

#include "platform/Exception.h"
#include "platform/SystemPortList.h"
#include "platform/Win32Error.h"

namespace {

std::string Property(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property) {
  char text[512] = {};
  if (!SetupDiGetDeviceRegistryPropertyA(devices, &device, property, nullptr,
                                         reinterpret_cast<BYTE*>(text), sizeof text - 1, nullptr)) {
    return "";
  }
  return text;
}

// The name the port opens by, from the device's own registry key: "COM3"; LPT ports of the
// class have none that starts with COM.
std::string PortNameOf(HDEVINFO devices, SP_DEVINFO_DATA& device) {
  HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) return "";
  char name[64] = {};
  DWORD size = sizeof name - 1, type = 0;
  LONG result =
      RegQueryValueExA(key, "PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS && type == REG_SZ ? name : "";
}

std::string InstanceId(HDEVINFO devices, SP_DEVINFO_DATA& device) {
  char id[512] = {};
  if (!SetupDiGetDeviceInstanceIdA(devices, &device, id, sizeof id - 1, nullptr)) return "";
  return id;
}

// The 4 hex digits after `key` ("VID_") in an instance id, or -1.
int IdAfter(const std::string& id, const std::string& key) {
  const size_t at = id.find(key);
  if (at == std::string::npos || at + key.size() + 4 > id.size()) return -1;
  char* end = nullptr;
  const std::string digits = id.substr(at + key.size(), 4);
  long value = std::strtol(digits.c_str(), &end, 16);
  return *end == '\0' ? static_cast<int>(value) : -1;
}

// "USB\VID_0403&PID_6001\A50285BI": the bus, the ids, and the device's serial number as the
// last part; Windows makes up a last part with '&' in it for a device that has none.
void TakeInstanceId(const std::string& id, SystemPort& port) {
  const std::string bus = id.substr(0, id.find('\\'));
  if (bus == "USB" || bus == "FTDIBUS" || bus == "USBSER") {
    port.transport = SystemPort::Transport::Usb;
  } else if (bus == "BTHENUM") {
    port.transport = SystemPort::Transport::Bluetooth;
  } else if (bus == "ACPI" || bus == "PCI" || bus == "ROOT") {
    port.transport = SystemPort::Transport::Native;
  }
  if (port.transport != SystemPort::Transport::Usb) return;
  port.vendorId = IdAfter(id, "VID_");
  port.productId = IdAfter(id, "PID_");
  const std::string last = id.substr(id.rfind('\\') + 1);
  if (bus == "USB" && last.find('&') == std::string::npos) port.serialNumber = last;
}

}  // namespace

std::vector<SystemPort> ListSystemPorts() {
  HDEVINFO devices = SetupDiGetClassDevsA(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
  if (devices == INVALID_HANDLE_VALUE) {
    throw Exception("cannot list the serial ports: " + Win32ErrorText(GetLastError()));
  }
  std::vector<SystemPort> ports;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(devices, i, &device); ++i) {
    SystemPort port;
    port.name = PortNameOf(devices, device);
    if (port.name.compare(0, 3, "COM") != 0) continue;
    port.description = Property(devices, device, SPDRP_FRIENDLYNAME);
    port.manufacturer = Property(devices, device, SPDRP_MFG);
    TakeInstanceId(InstanceId(devices, device), port);
    ports.push_back(port);
  }
  SetupDiDestroyDeviceInfoList(devices);
  return ports;
}

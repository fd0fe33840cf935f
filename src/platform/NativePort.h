#pragma once

#include <memory>
#include <string>

#include "platform/CommPort.h"

// The operating system's serial ports. Implemented once per OS (NativePortPosix.cpp,
// NativePortWin32.cpp); CMake compiles the one for the target.

// Why a port could not be opened, in the system's words and sorted, so that the layer that
// knows how the user named the port can say what to do about it.
struct NativeOpenFailure {
  enum class Cause { Other, NoDevice, Permission, InUse, NotSerial };
  Cause cause = Cause::Other;
  std::string reason;  // "Permission denied"
  std::string group;   // Permission, POSIX: the group that owns the device ("dialout")
};

// Opens `path` (/dev/ttyUSB0, COM3) exclusively, with empty queues. Returns null with
// `failure` filled when it cannot.
std::unique_ptr<CommPort> OpenNativePort(const std::string& path, NativeOpenFailure& failure);

// The device that port COMn is when nothing else names one: /dev/ttyS<n-1> on POSIX,
// \\.\COMn on Windows.
std::string DefaultNativePortPath(int portNumber);

// Whether two names open the same device: /dev/serial/by-id/usb-FTDI... and the
// /dev/ttyUSB0 it links to; COM3 and \\.\COM3.
bool SameNativeDevice(const std::string& first, const std::string& second);

// What a device that the system does not list as a serial port is, for the port list:
// "pseudo-terminal", "no such device"; empty when there is nothing to say.
std::string NativeDeviceNote(const std::string& path);

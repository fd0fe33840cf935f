#pragma once

#include <memory>
#include <string>

#include "platform/CommPort.h"

// The operating system's serial ports. Implemented once per OS (NativePortPosix.cpp,
// NativePortWin32.cpp); CMake compiles the one for the target.

// Opens `path` (/dev/ttyUSB0, COM3) exclusively, with empty queues. Returns null with
// `failure` set to the path and the system's reason when it cannot.
std::unique_ptr<CommPort> OpenNativePort(const std::string& path, std::string& failure);

// The device that port COMn is when nothing else names one: /dev/ttyS<n-1> on POSIX,
// \\.\COMn on Windows.
std::string DefaultNativePortPath(int portNumber);

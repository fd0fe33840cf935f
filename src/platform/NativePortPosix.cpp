// Temporary: replaced by the termios backend.
#include "platform/NativePort.h"
std::unique_ptr<CommPort> OpenNativePort(const std::string& path, std::string& failure) {
  failure = path + ": serial ports are not built yet";
  return nullptr;
}
std::string DefaultNativePortPath(int portNumber) {
  return "/dev/ttyS" + std::to_string(portNumber - 1);
}

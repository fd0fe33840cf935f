#pragma once

#include <string>

#include "platform/PortOpenFailure.h"

// How the command line tells that a port could not be opened: the summary, naming the port as
// the user gave it, then what to do about it in a shell: "cannot open COM3 (/dev/ttyS2): No
// such file or directory; there is no such device: connect the adapter, or set ISP89_COM3 to
// its name (isp89-cli ports lists the serial ports there are)".
std::string PortFailureLine(const PortOpenFailure& failure);

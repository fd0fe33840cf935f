#pragma once

#include "ui/platform/SystemPortList.h"

// The ports as the toolkit's serial port module finds them (udev or sysfs on Linux, the
// registry on Windows). Only the list comes from there: the ports are opened by the link.
class QtSystemPortList : public SystemPortList {
 public:
  std::vector<Port> List() override;
};

#pragma once

#include <vector>

#include "ui/platform/SystemPortList.h"

// The system's serial ports as a test sets them; counts how often they were asked for.
class ScriptedPorts : public SystemPortList {
 public:
  std::vector<Port> List() override {
    ++asked;
    return ports;
  }
  std::vector<Port> ports;
  int asked = 0;
};

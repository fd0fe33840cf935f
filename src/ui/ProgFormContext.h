#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "serial/PortResolver.h"
#include "ui/widgets/UserDialogs.h"

// What the window takes from its surroundings. Left empty, each part is the real one: the
// system clock, the toolkit's dialogs, the system's serial ports and the process's own
// command line.
struct ProgFormContext {
  Clock* clock = nullptr;
  UserDialogs* dialogs = nullptr;
  PortResolver::PortLister ports;
  std::optional<std::vector<std::string>> arguments;
};

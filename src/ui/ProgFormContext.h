#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "serial/PortResolver.h"
#include "ui/widgets/UserDialogs.h"

// What the window takes from its surroundings. Left empty, each part is the real one: the
// system clock, the toolkit's dialogs, the system's serial ports, the process's own command
// line and the user's settings.
struct ProgFormContext {
  Clock* clock = nullptr;
  UserDialogs* dialogs = nullptr;
  PortResolver::PortLister ports;
  std::optional<std::vector<std::string>> arguments;
  // A settings file of the window's own (INI), in place of the user's settings.
  std::string settingsFile;
};

#pragma once

#include <string>
#include <vector>

#include "serial/PortResolver.h"

// The ports the user names with -p, checked before anything is opened. What each name stands
// for is the PortResolver's business; here a bad name becomes a usage error.
class PortChoice {
 public:
  // The name in the form the messages use: "3" and "com3" become "COM3", others stay as they
  // are. Throws CliError (usage) for text that is no port name at all, or is too long to be
  // one (shown cut short).
  static std::string Normalize(const std::string& text);
  // Throws CliError (usage) when `resolver` knows `name` for no port: "sim:AT89C2051".
  static void Check(const std::string& name, const PortResolver& resolver);
  // Throws CliError (usage) when two of `names` lead to one port (COM1 and /dev/ttyS0, 1 and
  // COM1, or the same name twice), naming both as given: two sessions on one adapter would
  // mix their bytes on the chip.
  static void CheckDistinct(const std::vector<std::string>& names, const PortResolver& resolver);
};

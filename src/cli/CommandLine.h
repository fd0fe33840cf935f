#pragma once

#include <string>
#include <vector>

#include "cli/CliOptions.h"

// The command line of isp89-cli:
//   isp89-cli [-p|--port PORT] [-d|--device AT89S51|AT89S52] [--trace] [-q] [--force]
//             [--erase-locked] [--no-verify] COMMAND [FILE]
// Options may come before or after the command; "--opt=value" works as well as "--opt value".
class CommandLine {
 public:
  // `arguments` without the program name. Throws CliError (usage) naming what is wrong.
  static CliOptions Parse(const std::vector<std::string>& arguments);
  static std::string HelpText();
};

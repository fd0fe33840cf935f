#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "platform/Clock.h"
#include "serial/PortResolver.h"

// The command line program without its process: parses the arguments, runs the command and
// turns every failure into one line on `err` and the exit status (0 done, 1 failed, 2 usage
// or bad input). Tests run it in process with simulated ports and a virtual clock.
class CliApp {
 public:
  CliApp(PortResolver& ports, Clock& clock);

  // `arguments` without the program name. `errIsTerminal` chooses the progress bar over
  // percentage lines.
  int Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
          bool errIsTerminal);

  static std::string VersionText();

 private:
  int RunOnOnePort(const CliOptions& options, std::ostream& out, std::ostream& err,
                   bool errIsTerminal);

  PortResolver& ports_;
  Clock& clock_;
};

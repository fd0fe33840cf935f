#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/PortOpener.h"

// The command line program without its process: parses the arguments, runs the command and
// turns every failure into one line on `err` and the exit status (0 done, 1 failed, 2 usage
// or bad input). Tests run it in process with a simulated port and a virtual clock.
class CliApp {
 public:
  CliApp(PortOpener& opener, Clock& clock);

  // `arguments` without the program name. `errIsTerminal` chooses the progress bar over
  // percentage lines.
  int Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
          bool errIsTerminal);

  static std::string VersionText();

 private:
  PortOpener& opener_;
  Clock& clock_;
};

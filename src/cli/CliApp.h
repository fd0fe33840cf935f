#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "platform/Clock.h"
#include "platform/StopSignal.h"
#include "serial/PortResolver.h"

// The command line program without its process: parses the arguments, runs the command and
// turns every failure into one line on `err` and the exit status (0 done, 1 failed, 2 usage
// or bad input). A command that succeeded but could not write all it had to say to `out` or
// `err` (a closed stream, a pipe whose reader has gone) ends with 1. Tests run it in process
// with simulated ports and a virtual clock.
class CliApp {
 public:
  // `stop`, when given, ends a command at its next page (SignalStop raises it).
  CliApp(PortResolver& ports, Clock& clock, const StopSignal* stop = nullptr);

  // `arguments` without the program name. `errIsTerminal` chooses the progress bar over
  // percentage lines.
  int Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
          bool errIsTerminal);

  static std::string VersionText();

 private:
  int RunCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                 bool errIsTerminal);
  static int Reported(int status, std::ostream& out, std::ostream& err);
  int RunOnOnePort(const CliOptions& options, std::ostream& out, std::ostream& err,
                   bool errIsTerminal);

  PortResolver& ports_;
  Clock& clock_;
  const StopSignal* stop_;
};

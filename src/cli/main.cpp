#include <iostream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "platform/SignalStop.h"
#include "platform/StandardStreams.h"
#include "platform/SystemClock.h"
#include "sim/SimPortResolver.h"

int main(int argc, char** argv) {
  // Before anything is opened: a closed standard stream must not become the port.
  PrepareStandardStreams();
  std::vector<std::string> arguments(argv + 1, argv + argc);
  // Ctrl-C and its kind stop the command at its next page; the port is closed (its settings
  // restored) and the message says what the chip holds.
  StopSignal stop;
  SignalStop signals(stop);
  SimPortResolver resolver(SystemClock::Instance());
  CliApp app(resolver, SystemClock::Instance(), &stop);
  return app.Run(arguments, std::cout, std::cerr, StandardErrorIsTerminal());
}

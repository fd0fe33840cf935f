#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "platform/SystemClock.h"
#include "sim/PortResolver.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  PortResolver resolver(SystemClock::Instance());
  CliApp app(resolver, SystemClock::Instance());
  return app.Run(arguments, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
}

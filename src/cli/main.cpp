#ifdef _WIN32
#include <windows.h>
#endif
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "platform/SystemClock.h"
#include "sim/PortResolver.h"

int main(int argc, char** argv) {
#ifdef _WIN32
  // The messages are UTF-8 ("Sériový port COM3 nelze otevřít"); a console shows them right
  // only when told so, as its own code page is an OEM one.
  SetConsoleOutputCP(CP_UTF8);
#endif
  std::vector<std::string> arguments(argv + 1, argv + argc);
  PortResolver resolver(SystemClock::Instance());
  CliApp app(resolver, SystemClock::Instance());
  return app.Run(arguments, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
}

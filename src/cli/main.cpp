#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <iostream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "platform/SystemClock.h"
#include "sim/SimPortResolver.h"

int main(int argc, char** argv) {
#ifdef _WIN32
  // The messages are UTF-8 (file names, USB descriptions of ports); a console shows them right
  // only when told so, as its own code page is an OEM one.
  SetConsoleOutputCP(CP_UTF8);
  // `read -` writes the image itself to the standard output: no LF may become CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::vector<std::string> arguments(argv + 1, argv + argc);
  SimPortResolver resolver(SystemClock::Instance());
  CliApp app(resolver, SystemClock::Instance());
#ifdef _WIN32
  const bool stderrIsTerminal = _isatty(_fileno(stderr)) != 0;
#else
  const bool stderrIsTerminal = isatty(STDERR_FILENO) == 1;
#endif
  return app.Run(arguments, std::cout, std::cerr, stderrIsTerminal);
}

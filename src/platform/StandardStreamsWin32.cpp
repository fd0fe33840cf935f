#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "platform/StandardStreams.h"

// Windows opens files and ports as handles that are never a standard stream's descriptor,
// and has no SIGPIPE: what is left is how the streams carry bytes.
void PrepareStandardStreams() {
  // The messages are UTF-8 (file names, USB descriptions of ports); a console shows them
  // right only when told so, as its own code page is an OEM one.
  SetConsoleOutputCP(CP_UTF8);
  // `read -` writes the image itself to the standard output: no LF may become CR LF.
  if (_fileno(stdout) >= 0) _setmode(_fileno(stdout), _O_BINARY);
}

bool StandardErrorIsTerminal() { return _fileno(stderr) >= 0 && _isatty(_fileno(stderr)) != 0; }

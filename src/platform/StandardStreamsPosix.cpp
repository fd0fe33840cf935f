#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/StandardStreams.h"

namespace {

bool IsClosed(int fd) { return fcntl(fd, F_GETFD) == -1 && errno == EBADF; }

}  // namespace

// In order, as open() takes the lowest free number: a closed 0 is filled before 1 and 2.
// If even /dev/null cannot be opened, the program goes on as it would have.
void PrepareStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (!IsClosed(fd)) continue;
    const int opened = open("/dev/null", O_RDONLY);
    if (opened >= 0 && opened != fd) close(opened);
  }
  signal(SIGPIPE, SIG_IGN);
}

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

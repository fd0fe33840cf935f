#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/PlainFile.h"

FILE* OpenFileForReading(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  FILE* file = fdopen(fd, "rb");
  if (!file) {
    const int error = errno;
    close(fd);
    errno = error;
  }
  return file;
}

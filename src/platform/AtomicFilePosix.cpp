#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/AtomicFile.h"
#include "platform/Exception.h"

namespace {

[[noreturn]] void Fail(const std::string& path, int error) {
  throw Exception("cannot save " + path + ": " + std::strerror(error));
}

bool WriteAll(int fd, const unsigned char* bytes, size_t size) {
  while (size > 0) {
    ssize_t written = write(fd, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

void WriteFileAtomically(const std::string& path, const void* data, size_t size) {
  std::string temporary = path + ".XXXXXX";
  int fd = mkstemp(temporary.data());
  if (fd < 0) Fail(path, errno);
  bool ok = WriteAll(fd, static_cast<const unsigned char*>(data), size) && fsync(fd) == 0;
  int error = errno;
  // mkstemp makes the file 0600: keep the permissions of the file replaced, else rw-r--r--.
  struct stat existing {};
  fchmod(fd, stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644);
  if (close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && std::rename(temporary.c_str(), path.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    unlink(temporary.c_str());
    Fail(path, error);
  }
}

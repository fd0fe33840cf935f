#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/FileKind.h"
#include "platform/PlainFile.h"

namespace {

FILE* Refuse(int fd, std::string& failure, std::string reason) {
  if (fd >= 0) close(fd);
  failure = std::move(reason);
  return nullptr;
}

// A link (ELOOP) or a FIFO without a reader (ENXIO) is named for what it is.
std::string WhyNot(const std::string& path, int error) {
  std::error_code ignored;
  auto type = std::filesystem::symlink_status(path, ignored).type();
  if (type != std::filesystem::file_type::not_found &&
      type != std::filesystem::file_type::regular && type != std::filesystem::file_type::none) {
    return "it is " + FileKindText(type);
  }
  return std::strerror(error);
}

}  // namespace

// O_NONBLOCK: opening a FIFO that no one reads would otherwise wait forever.
FILE* OpenRegularFileForWriting(const std::string& path, std::string& failure) {
  int fd =
      open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return Refuse(fd, failure, WhyNot(path, errno));
  struct stat opened {};
  if (fstat(fd, &opened) != 0) return Refuse(fd, failure, std::strerror(errno));
  if (!S_ISREG(opened.st_mode)) {
    std::error_code ignored;
    return Refuse(fd, failure,
                  "it is " + FileKindText(std::filesystem::status(path, ignored).type()));
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  FILE* file = fdopen(fd, "wb");
  if (!file) return Refuse(fd, failure, std::strerror(errno));
  return file;
}

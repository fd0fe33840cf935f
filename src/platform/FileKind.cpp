#include "platform/FileKind.h"

std::string FileKindText(std::filesystem::file_type type) {
  using std::filesystem::file_type;
  switch (type) {
    case file_type::regular:
      return "a regular file";
    case file_type::directory:
      return "a folder";
    case file_type::symlink:
      return "a symbolic link";
    case file_type::block:
      return "a block device";
    case file_type::character:
      return "a character device";
    case file_type::fifo:
      return "a FIFO (named pipe)";
    case file_type::socket:
      return "a socket";
    case file_type::not_found:
      return "missing";
    default:
      return "not a regular file";
  }
}

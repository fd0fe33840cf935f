#include <windows.h>

#include <cerrno>
#include <cstring>

#include "platform/PlainFile.h"

// Windows has no open flag that refuses a link, so the attributes are looked at first; a
// symbolic link there needs a privilege to make, which makes a race with one unlikely.
FILE* OpenRegularFileForWriting(const std::string& path, std::string& failure) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      failure = "it is a symbolic link";
      return nullptr;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      failure = "it is a folder";
      return nullptr;
    }
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) failure = std::strerror(errno);
  return file;
}

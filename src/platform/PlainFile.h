#pragma once

#include <cstdio>
#include <string>

// Opens `path` for reading binary, not inherited by programs this one starts (POSIX:
// close-on-exec). Returns null with errno set when it cannot.
FILE* OpenFileForReading(const std::string& path);

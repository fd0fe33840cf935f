#include <cstdio>

#include "platform/PlainFile.h"

// A handle the C library opens is inherited only by a child started with inheritance, which
// this program never starts.
FILE* OpenFileForReading(const std::string& path) { return std::fopen(path.c_str(), "rb"); }

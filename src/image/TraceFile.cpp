#include "image/TraceFile.h"

TraceFile::TraceFile(const std::string& path, bool enabled) {
  if (enabled) file_ = std::fopen(path.c_str(), "wb");
}

TraceFile::~TraceFile() {
  if (file_) std::fclose(file_);
}

void TraceFile::Append(uint8_t byte) {
  if (file_) std::fputc(byte, file_);
}

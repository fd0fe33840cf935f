#include "image/TraceFile.h"

#include "platform/PlainFile.h"

TraceFile::TraceFile(const std::string& path, bool enabled) {
  if (!enabled) return;
  std::string failure;
  file_ = OpenRegularFileForWriting(path, failure);
  if (!file_) {
    std::fprintf(stderr, "warning: no trace file %s: %s; the transfer goes on without it\n",
                 path.c_str(), failure.c_str());
  }
}

TraceFile::~TraceFile() {
  if (file_) std::fclose(file_);
}

void TraceFile::Append(uint8_t byte) {
  if (file_) std::fputc(byte, file_);
}

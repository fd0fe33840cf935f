#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// The trace copy of a whole-memory transfer: raw bytes in transfer order, one append per
// byte, in the working folder. A trace that cannot be created costs nothing but the trace:
// the transfer goes on, nothing is written, and a warning on the standard error says why.
// A symbolic link, a FIFO or a device under the trace's name is never written through: it is
// left as it is, like any trace that cannot be created. A new trace gets the permissions 0666
// less the umask. The file is closed when the object goes, whichever way the transfer ends.
class TraceFile {
 public:
  static constexpr const char* kReadName = "readed_memory.bin";
  static constexpr const char* kWriteName = "writed_memory.bin";

  // With enabled false nothing is created.
  TraceFile(const std::string& path, bool enabled);
  ~TraceFile();
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;

  void Append(uint8_t byte);

 private:
  FILE* file_ = nullptr;
};

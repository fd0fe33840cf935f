#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The trace copy of a whole-memory transfer: raw bytes in transfer order, in the working
// folder. It is written like a saved image when the object goes, whichever way the transfer
// ended: a new file renamed into place, so that a hard link under the trace's name keeps its
// other names' content, and never through a symbolic link, nor into a FIFO or a device (each
// is left as it is). A trace that cannot be written costs nothing but the trace: a warning on
// the standard error says why. A new trace gets the permissions 0666 less the umask.
class TraceFile {
 public:
  static constexpr const char* kReadName = "readed_memory.bin";
  static constexpr const char* kWriteName = "writed_memory.bin";

  // With enabled false nothing is written.
  TraceFile(const std::string& path, bool enabled);
  ~TraceFile();
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;

  void Append(uint8_t byte);

 private:
  const std::string path_;
  const bool enabled_;
  std::vector<uint8_t> bytes_;  // a few pages: held until the transfer ends
};

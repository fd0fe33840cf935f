#include "image/TraceFile.h"

#include <cstdio>

#include "platform/AtomicFile.h"
#include "platform/ControlEscapes.h"
#include "platform/Exception.h"

TraceFile::TraceFile(const std::string& path, bool enabled) : path_(path), enabled_(enabled) {}

TraceFile::~TraceFile() {
  if (!enabled_) return;
  try {
    ReplaceFileAtomically(path_, bytes_.data(), bytes_.size());
  } catch (const Exception& e) {
    std::fprintf(stderr, "warning: no trace file: %s\n",
                 EscapeControlCharacters(e.Message()).c_str());
  }
}

void TraceFile::Append(uint8_t byte) {
  if (enabled_) bytes_.push_back(byte);
}

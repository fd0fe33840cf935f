#include "image/Buffer.h"

#include <algorithm>

#include "platform/AtomicFile.h"

Buffer::Buffer(uint32_t size) : data_(size, kErased) {}

void Buffer::LoadFrom(FILE* file, uint32_t maxBytes) {
  uint32_t wanted = std::min(maxBytes, Size());
  count_ = static_cast<uint32_t>(std::fread(data_.data(), 1, wanted, file));
}

void Buffer::SaveTo(const std::string& path) const {
  WriteFileAtomically(path, data_.data(), data_.size());
}

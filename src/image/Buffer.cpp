#include "image/Buffer.h"

#include "platform/AtomicFile.h"

Buffer::Buffer(uint32_t size) : data_(size, kErased) {}

void Buffer::SaveTo(const std::string& path) const {
  WriteFileAtomically(path, data_.data(), data_.size());
}

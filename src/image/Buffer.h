#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A memory image: byte i is code-memory address i. A new image holds FF in every byte, the
// value of erased flash, so the parts a short file does not cover are written as erased.
class Buffer {
 public:
  static constexpr uint8_t kErased = 0xFF;

  explicit Buffer(uint32_t size);

  // Unchecked, like the memory it stands for: callers keep the index below Size().
  uint8_t& operator[](uint32_t index) { return data_[index]; }
  const uint8_t& operator[](uint32_t index) const { return data_[index]; }
  uint8_t* Data() { return data_.data(); }
  const uint8_t* Data() const { return data_.data(); }

  uint32_t Size() const { return static_cast<uint32_t>(data_.size()); }
  // Saves all Size() bytes; an existing file is replaced whole or left as it was.
  // Throws Exception naming the path and the reason.
  void SaveTo(const std::string& path) const;

 private:
  std::vector<uint8_t> data_;
};

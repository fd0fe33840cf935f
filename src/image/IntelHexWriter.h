#pragma once

#include <string>

#include "image/Buffer.h"

// Writes a memory image as Intel HEX text: data records of 16 bytes on 16-byte boundaries,
// an extended linear address record (04) before the first record of each 64 KB block above
// the first, and the end record. Rows that hold only FF, the erased value, are left out: a
// reader fills what no record covers with FF, so the image reads back the same.
class IntelHexWriter {
 public:
  static constexpr uint32_t kBytesPerRecord = 16;

  static std::string Write(const Buffer& image);
  // One record: ":" count, address, type, data and checksum, upper-case, without a line end.
  static std::string Record(uint8_t type, uint16_t address, const uint8_t* data, size_t count);
};

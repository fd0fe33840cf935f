#pragma once

#include <cstddef>
#include <cstdint>

#include "image/Buffer.h"

// What the window says about an image besides its name: the range of addresses that holds
// data, and two checksums over that range for comparing with what the build tools printed.
struct ImageSummary {
  // No byte other than FF: then the range and the checksums are 0.
  bool blank = true;
  // The lowest and the highest address holding a byte other than FF (erased flash).
  uint32_t first = 0;
  uint32_t last = 0;
  // The bytes from `first` to `last` added up, kept to 16 bits: the checksum 8051 assemblers
  // and programmers print.
  uint16_t sum = 0;
  // CRC-32 of the same bytes, as zip, PNG and the crc32 tool compute it (IEEE 802.3).
  uint32_t crc32 = 0;

  static ImageSummary Of(const Buffer& image);
};

// CRC-32 (polynomial EDB88320, reflected, initial and final value FFFFFFFF).
uint32_t Crc32(const uint8_t* data, size_t size);

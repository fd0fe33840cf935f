#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "image/Buffer.h"

// The rules that decide whether an image can go into a chip and whether a chip holds it, one
// set for every front end.
//
// A chip with less flash than the image ignores the upper address bits, so the upper part of
// the image folds onto the lower: it fits only when every byte there is erased (FF) or a copy
// of the byte it would land on, as a read of such a chip gives.
class ImageCheck {
 public:
  // The result of comparing what a chip holds with what it should hold.
  struct Difference {
    uint32_t count = 0;  // differing bytes; 0 when they match
    uint32_t first = 0;  // the lowest differing address
    uint8_t actual = 0;  // the chip's byte there
    uint8_t expected = 0;

    // Adds the addresses from `begin` up to `end` to the comparison. Ranges added in rising
    // order keep `first` the lowest difference.
    void Include(const Buffer& chip, const Buffer& wanted, uint32_t begin, uint32_t end);
  };

  // The first address at or above `flashSize` that would fold onto different data, if any.
  static std::optional<uint32_t> FirstFoldingAddress(const Buffer& image, uint32_t flashSize);
  // "has data at 1000, beyond the AT89S51's 4 KB of flash, where the chip would write it over
  // 0000": what to say after the image's name.
  static std::string DescribeFold(uint32_t address, uint32_t flashSize,
                                  const std::string& chipName);

  // Compares the first `length` bytes of both.
  static Difference Compare(const Buffer& actual, const Buffer& expected, uint32_t length);
  // "3 of 4096 bytes differ; the first at 0010: chip 00, image.bin 01", where `expectedName`
  // names what the chip should match.
  static std::string DescribeDifference(const Difference& difference, uint32_t length,
                                        const std::string& expectedName);
};

#include "image/ImageCheck.h"

#include <algorithm>

#include "platform/HexText.h"

std::optional<uint32_t> ImageCheck::FirstFoldingAddress(const Buffer& image, uint32_t flashSize) {
  if (flashSize == 0) return std::nullopt;
  for (uint32_t a = flashSize; a < image.Size(); ++a) {
    if (image[a] != Buffer::kErased && image[a] != image[a % flashSize]) return a;
  }
  return std::nullopt;
}

std::string ImageCheck::DescribeFold(uint32_t address, uint32_t flashSize,
                                     const std::string& chipName) {
  return "has data at " + Hex(address, 4) + ", beyond the " + chipName + "'s " +
         std::to_string(flashSize / 1024) + " KB of flash, where the chip would write it over " +
         Hex(address % flashSize, 4);
}

void ImageCheck::Difference::Include(const Buffer& chip, const Buffer& wanted, uint32_t begin,
                                     uint32_t end) {
  end = std::min({end, chip.Size(), wanted.Size()});
  for (uint32_t a = begin; a < end; ++a) {
    if (chip[a] == wanted[a]) continue;
    if (count++ == 0) {
      first = a;
      actual = chip[a];
      expected = wanted[a];
    }
  }
}

ImageCheck::Difference ImageCheck::Compare(const Buffer& actual, const Buffer& expected,
                                           uint32_t length) {
  Difference difference;
  difference.Include(actual, expected, 0, length);
  return difference;
}

std::string ImageCheck::DescribeDifference(const Difference& difference, uint32_t length,
                                           const std::string& expectedName) {
  return std::to_string(difference.count) + " of " + std::to_string(length) +
         " bytes differ; the first at " + Hex(difference.first, 4) + ": chip " +
         Hex(difference.actual, 2) + ", " + expectedName + " " + Hex(difference.expected, 2);
}

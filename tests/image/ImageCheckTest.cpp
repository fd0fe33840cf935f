#include <gtest/gtest.h>

#include <optional>

#include "image/ImageCheck.h"

namespace {

constexpr uint32_t kHalf = 4096;

// An 8 KB image with distinct bytes below 1000 and the upper half as a case asks.
Buffer WithUpperHalf(uint8_t (*upper)(const Buffer& image, uint32_t address)) {
  Buffer image(2 * kHalf);
  for (uint32_t a = 0; a < kHalf; ++a) image[a] = static_cast<uint8_t>(a * 7 + 1);
  for (uint32_t a = kHalf; a < image.Size(); ++a) image[a] = upper(image, a);
  return image;
}

TEST(ImageCheck, AnUpperHalfFitsTheSmallerFlashOnlyWhenErasedOrAMirror) {
  struct Case {
    const char* name;
    uint8_t (*upper)(const Buffer&, uint32_t);
    std::optional<uint32_t> folding;
  };
  for (const Case& c : {
           Case{"erased", [](const Buffer&, uint32_t) -> uint8_t { return 0xFF; }, std::nullopt},
           Case{"mirror", [](const Buffer&i, uint32_t a) { return i[a - kHalf]; }, std::nullopt},
           Case{"one byte at 1234",
                [](const Buffer&, uint32_t a) -> uint8_t { return a == 0x1234 ? 0x00 : 0xFF; },
                0x1234},
           Case{"other data", [](const Buffer&i, uint32_t a) -> uint8_t { return ~i[a - kHalf]; },
                0x1000},
       }) {
    Buffer image = WithUpperHalf(c.upper);
    EXPECT_EQ(ImageCheck::FirstFoldingAddress(image, kHalf), c.folding) << c.name;
    EXPECT_EQ(ImageCheck::FirstFoldingAddress(image, 2 * kHalf), std::nullopt) << c.name;
  }
  EXPECT_EQ(ImageCheck::DescribeFold(0x1234, kHalf, "AT89S51"),
            "has data at 1234, beyond the AT89S51's 4 KB of flash, where the chip would write "
            "it over 0234");
}

TEST(ImageCheck, ACompareCountsWithinTheLengthAndNamesTheFirstDifference) {
  Buffer expected(8192), actual(8192);
  actual[0x0010] = 0x00;
  actual[0x0800] = 0x12;
  actual[0x1800] = 0x34;  // beyond a 4 KB compare
  struct Case {
    uint32_t length;
    uint32_t count;
  };
  for (const Case& c : {Case{8192, 3}, Case{4096, 2}, Case{0x10, 0}, Case{100000, 3}}) {
    ImageCheck::Difference difference = ImageCheck::Compare(actual, expected, c.length);
    EXPECT_EQ(difference.count, c.count) << c.length;
    if (c.count == 0) continue;
    EXPECT_EQ(difference.first, 0x0010u);
    EXPECT_EQ(difference.actual, 0x00);
    EXPECT_EQ(difference.expected, 0xFF);
  }
  // Page by page, skipping what lies between.
  ImageCheck::Difference pages;
  pages.Include(actual, expected, 0x0800, 0x0900);
  pages.Include(actual, expected, 0x1800, 0x1900);
  EXPECT_EQ(pages.count, 2u);
  EXPECT_EQ(pages.first, 0x0800u);
  EXPECT_EQ(pages.actual, 0x12);
  EXPECT_EQ(
      ImageCheck::DescribeDifference(ImageCheck::Compare(actual, expected, 4096), 4096, "erased"),
      "2 of 4096 bytes differ; the first at 0010: chip 00, erased FF");
}

}  // namespace

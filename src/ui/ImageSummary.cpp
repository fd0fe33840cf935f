#include "ui/ImageSummary.h"

#include <array>

namespace {

std::array<uint32_t, 256> CrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size) {
  static const std::array<uint32_t, 256> kTable = CrcTable();
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) crc = kTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

ImageSummary ImageSummary::Of(const Buffer& image) {
  ImageSummary summary;
  for (uint32_t a = 0; a < image.Size(); ++a) {
    if (image[a] == Buffer::kErased) continue;
    if (summary.blank) summary.first = a;
    summary.blank = false;
    summary.last = a;
  }
  if (summary.blank) return summary;
  const uint32_t length = summary.last - summary.first + 1;
  for (uint32_t a = summary.first; a <= summary.last; ++a) {
    summary.sum = static_cast<uint16_t>(summary.sum + image[a]);
  }
  summary.crc32 = Crc32(image.Data() + summary.first, length);
  return summary;
}

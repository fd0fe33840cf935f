#include "image/IntelHexWriter.h"

#include <algorithm>

#include "platform/HexText.h"

namespace {

constexpr uint8_t kData = 0x00, kEnd = 0x01, kLinear = 0x04;

void AppendHex(std::string& text, uint8_t byte) { text += Hex(byte, 2); }

bool AllErased(const uint8_t* bytes, size_t count) {
  return std::all_of(bytes, bytes + count, [](uint8_t b) { return b == Buffer::kErased; });
}

}  // namespace

std::string IntelHexWriter::Record(uint8_t type, uint16_t address, const uint8_t* data,
                                   size_t count) {
  std::string text = ":";
  uint8_t sum = 0;
  auto put = [&](uint8_t byte) {
    AppendHex(text, byte);
    sum = static_cast<uint8_t>(sum + byte);
  };
  put(static_cast<uint8_t>(count));
  put(static_cast<uint8_t>(address >> 8));
  put(static_cast<uint8_t>(address));
  put(type);
  for (size_t i = 0; i < count; ++i) put(data[i]);
  AppendHex(text, static_cast<uint8_t>(-sum));
  return text;
}

std::string IntelHexWriter::Write(const Buffer& image) {
  std::string text;
  uint32_t block = 0;  // the upper 16 address bits in force
  for (uint32_t row = 0; row < image.Size(); row += kBytesPerRecord) {
    size_t count = std::min<size_t>(kBytesPerRecord, image.Size() - row);
    const uint8_t* bytes = image.Data() + row;
    if (AllErased(bytes, count)) continue;
    if (row >> 16 != block) {
      block = row >> 16;
      const uint8_t upper[2] = {static_cast<uint8_t>(block >> 8), static_cast<uint8_t>(block)};
      text += Record(kLinear, 0, upper, 2) + "\n";
    }
    text += Record(kData, static_cast<uint16_t>(row), bytes, count) + "\n";
  }
  text += Record(kEnd, 0, nullptr, 0) + "\n";
  return text;
}

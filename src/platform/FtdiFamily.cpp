#include "platform/FtdiFamily.h"

#include <cmath>

namespace {

using Kind = FtdiFamily::Kind;

// Buffer sizes from each chip's datasheet; the FT2232C and the FT4232H have several
// interfaces, each with buffers of its own.
const FtdiFamily kFamilies[] = {
    {Kind::FT232R, "FT232R", false, 64, 128, 256, 3000000, 1},
    {Kind::FT2232C, "FT2232C/D", false, 64, 384, 128, 3000000, 2},
    {Kind::FT2232H, "FT2232H", true, 512, 4096, 4096, 12000000, 2},
    {Kind::FT4232H, "FT4232H", true, 512, 2048, 2048, 12000000, 4},
    {Kind::FT232H, "FT232H", true, 512, 1024, 1024, 12000000, 1},
    {Kind::Unsupported, "FTDI chip without synchronous bit-bang", false, 64, 0, 0, 3000000, 1},
};

constexpr double kEighths = 8.0;
constexpr double kLargestDivisor = 16383.875;

}  // namespace

const FtdiFamily& FtdiFamily::Of(Kind kind) {
  for (const FtdiFamily& family : kFamilies) {
    if (family.kind == kind) return family;
  }
  return kFamilies[sizeof kFamilies / sizeof kFamilies[0] - 1];
}

// 0x0400 is the FT232BM/FT245BM (asynchronous bit-bang only), 0x0200 the FT8U232AM (none),
// 0x1000 the FT-X series: none of them drive SPI here.
const FtdiFamily& FtdiFamily::ForRelease(uint16_t bcdDevice) {
  switch (bcdDevice) {
    case 0x0500:
      return Of(Kind::FT2232C);
    case 0x0600:
      return Of(Kind::FT232R);
    case 0x0700:
      return Of(Kind::FT2232H);
    case 0x0800:
      return Of(Kind::FT4232H);
    case 0x0900:
      return Of(Kind::FT232H);
    default:
      return Of(Kind::Unsupported);
  }
}

// The divisor is the nearest eighth to base / baud, at least 1: the chip's own rounding.
double FtdiFamily::BaudOf(double baud) const {
  if (baud <= 0) return 0;
  double divisor = std::round(baseClockHz / baud * kEighths) / kEighths;
  if (divisor < 1) divisor = 1;
  if (divisor > kLargestDivisor) divisor = kLargestDivisor;
  return baseClockHz / divisor;
}

std::chrono::nanoseconds FtdiFamily::Frame() const {
  return highSpeed ? std::chrono::microseconds(125) : std::chrono::microseconds(1000);
}

// Bulk packets a frame: 19 of 64 bytes at full speed, 13 of 512 bytes in a high-speed
// microframe (USB 2.0, 5.8.4).
uint32_t FtdiFamily::PacketsPerFrame() const { return highSpeed ? 13 : 19; }

#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// What the programmer needs to know of each family of FTDI USB chips, as data: whether it has
// synchronous bit-bang, its USB speed and packets, the buffers between USB and its pins, and
// how its baud-rate generator makes the pin-state rate in bit-bang mode.
//
// The pin-state rate: libftdi's ftdi_set_baudrate asks the chip for four times the rate it is
// given while bit-bang mode is on, and the chip changes its pins once every four ticks of that
// baud clock, so the pins change at the rate given, rounded to what the divisor can make. The
// divisor divides the family's base clock (3 MHz on the full-speed chips, 12 MHz on the
// high-speed ones) in eighths. With hardware at hand the rate can be measured: see the
// FTDI hardware test.
struct FtdiFamily {
  enum class Kind { FT232R, FT2232C, FT2232H, FT4232H, FT232H, Unsupported };

  Kind kind;
  const char* name;
  bool highSpeed;         // USB 2.0 high speed: 125 us microframes; else 1 ms frames
  uint32_t packetSize;    // bulk packet: 64 at full speed, 512 at high speed
  uint32_t fromHostFifo;  // bytes the chip holds from USB before its pins take them
  uint32_t toHostFifo;    // pin samples the chip holds before USB takes them
  uint32_t baseClockHz;   // the baud-rate generator's: baud = base / divisor
  int interfaces;         // A, B ...

  static const FtdiFamily& Of(Kind kind);
  // The family of a chip that reports this release number (bcdDevice) in its descriptor.
  static const FtdiFamily& ForRelease(uint16_t bcdDevice);

  // The baud rate the chip makes when asked for `baud`: the nearest its divisor can.
  double BaudOf(double baud) const;
  // The pin states a second that ftdi_set_baudrate(rate) gives in bit-bang mode.
  double StateRate(int rate) const { return rate <= 0 ? 0 : BaudOf(4.0 * rate) / 4; }
  // The USB frame and how many bulk packets one carries.
  std::chrono::nanoseconds Frame() const;
  uint32_t PacketsPerFrame() const;
  // Each packet the chip sends starts with two status bytes (libftdi strips them).
  uint32_t PacketData() const { return packetSize - 2; }
  bool Usable() const { return kind != Kind::Unsupported; }
};

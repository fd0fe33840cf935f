#pragma once

// The least time each piece of work can take on an FTDI chip driving the target's pins: the
// chip's own waits (RST low and high 10 ms each before Programming Enable, tERASE, tSWC after
// each page byte) plus the SPI time of every byte at the SCK the link chose (8 clocks a byte).
// tSWC is that of a 3 MHz crystal, which the link assumes of every board.
namespace ftdi_floor {

constexpr double kReset = 0.020, kErase = 0.5;
constexpr double kByteWrite = 64.0 / 3e6 + 400e-6;
constexpr double kPageBytes = 258;  // Read Page or Write Page: 30/50, the page, 256 bytes

// Every session: the reset and Programming Enable, then the signature's three reads.
inline double SessionStart(double sckHz) { return kReset + (4 + 12) * 8 / sckHz; }

// The lock bits (a read-protected chip is no copy), then the pages.
inline double WholeRead(int pages, double sckHz) {
  return SessionStart(sckHz) + (4 + pages * kPageBytes) * 8 / sckHz;
}

// Erase, the pages written with a write cycle after each byte, the same pages read back.
inline double WriteWithVerify(int pages, double sckHz) {
  return SessionStart(sckHz) + kErase + 4 * 8 / sckHz + pages * 256 * kByteWrite +
         2 * pages * kPageBytes * 8 / sckHz;
}

}  // namespace ftdi_floor

#pragma once

#include "sim/SimLine.h"

// The least time each piece of work can take on the real 4800-baud line: the waits the
// protocol mandates, plus 2.083 ms a byte each way for every exchange that waits for its
// answer (4.17 ms), or one byte time for each byte sent while the answers of earlier bytes are
// still on their way (page writes, streamed reads). The window and the command line run the
// same operations, so they share these floors.
namespace line_floor {

constexpr double kByte = 10.0 / 4800;  // one byte on the wire
constexpr double kLockStep = 2 * kByte;
constexpr double kEnable = 1.8, kErase = 2.0;
constexpr double kPageBytes = 258;  // Read Page or Write Page: 30/50, the page, 256 bytes
// Every session: the reset pulse and Programming Enable, then the signature's three reads.
constexpr double kSessionStart = kEnable + 4 * kLockStep + 12 * kLockStep;
// Read Lock Bits, in lock step.
constexpr double kLockBits = 4 * kLockStep;

// The whole flash: the lock bits first (a read-protected chip is no copy), pages streamed.
constexpr double WholeRead(int pages) {
  return kSessionStart + kLockBits + pages * kPageBytes * kByte;
}

// Erase, the pages written, the same pages read back streamed.
constexpr double WriteWithVerify(int pages) {
  return kSessionStart + kErase + 2 * pages * kPageBytes * kByte;
}

// The simulated line at the real adapter's speed.
inline SimLine::Options RealLine() {
  SimLine::Options line;
  line.baudRate = 4800;
  return line;
}

}  // namespace line_floor

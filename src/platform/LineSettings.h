#pragma once

#include <cstdint>

// The driver's line settings as the link reads and writes them whole (a DCB on Windows,
// a termios record on POSIX). Values follow the Windows conventions.
struct LineSettings {
  enum Parity : uint8_t {
    kNoParity = 0,
    kOddParity = 1,
    kEvenParity = 2,
    kMarkParity = 3,
    kSpaceParity = 4
  };
  enum StopBits : uint8_t { kOneStopBit = 0, kOnePointFiveStopBits = 1, kTwoStopBits = 2 };

  uint32_t baudRate = 0;
  uint8_t byteSize = 0;
  uint8_t parity = 0;
  uint8_t stopBits = 0;
  // Windows: reads and writes fail after a line error until the error is cleared.
  bool abortOnError = false;
};

#pragma once

#include <cstdint>

// The driver's time-outs, in milliseconds, with the meaning Windows gives them: a read of n
// bytes waits at most readTotalTimeoutMultiplier * n + readTotalTimeoutConstant, a write at
// most writeTotalTimeoutMultiplier * n + writeTotalTimeoutConstant.
struct CommTimeouts {
  uint32_t readIntervalTimeout = 0;
  uint32_t readTotalTimeoutMultiplier = 0;
  uint32_t readTotalTimeoutConstant = 0;
  uint32_t writeTotalTimeoutMultiplier = 0;
  uint32_t writeTotalTimeoutConstant = 0;
};

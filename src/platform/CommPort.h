#pragma once

#include <cstdint>

#include "platform/CommTimeouts.h"
#include "platform/LineSettings.h"

// One open serial port, exclusively held; destroying it closes the port. Each backend (POSIX
// termios, Win32, the simulated adapter) implements it in a source file of its own.
//
// Calls that change driver state return false when the driver refused; the link does not
// look at that, but the results are there for tests and diagnostics.
class CommPort {
 public:
  virtual ~CommPort() = default;

  virtual bool GetState(LineSettings& settings) = 0;
  virtual bool SetState(const LineSettings& settings) = 0;
  virtual bool GetTimeouts(CommTimeouts& timeouts) = 0;
  virtual bool SetTimeouts(const CommTimeouts& timeouts) = 0;
  virtual bool SetRts(bool asserted) = 0;
  // A request for queue sizes, which the driver may follow or ignore.
  virtual bool SetupQueues(uint32_t inputBytes, uint32_t outputBytes) = 0;

  // Hands one byte to the driver. Returns 1 once it was taken, 0 when the write time-out
  // (multiplier x 1 + constant) expired first or the write failed.
  virtual uint32_t WriteByte(uint8_t byte) = 0;
  // Waits for one byte. Returns 1 with the byte stored, or 0 when the read time-out
  // (multiplier x 1 + constant) expired or the read failed; then *destination is untouched.
  // Interrupted system calls are retried within the time-out.
  virtual uint32_t ReadByte(uint8_t* destination) = 0;
};

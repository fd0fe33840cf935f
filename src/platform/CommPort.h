#pragma once

#include <cstdint>

#include "platform/CommTimeouts.h"
#include "platform/IoResult.h"
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

  // Hands one byte to the driver: Moved once it was taken, TimedOut when the write time-out
  // (multiplier x 1 + constant) expired first, Failed when the port refused it.
  virtual IoResult WriteByte(uint8_t byte) = 0;
  // Waits for one byte: Moved with the byte stored, TimedOut when the read time-out
  // (multiplier x 1 + constant) expired, Failed when the port went away (end of file, an I/O
  // error); *destination is untouched unless a byte moved. Interrupted system calls are
  // retried within the time-out.
  virtual IoResult ReadByte(uint8_t* destination) = 0;
  // Drops whatever the receive queue holds now; bytes still on their way arrive later.
  virtual bool PurgeInput() = 0;
  // Waits until every byte written has left the port, so that closing does not cut off the
  // last bytes of an operation.
  virtual bool DrainOutput() = 0;
};

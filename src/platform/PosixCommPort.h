#pragma once

#include <termios.h>

#include <chrono>
#include <memory>
#include <string>

#include "platform/CommPort.h"
#include "platform/NativePort.h"

// A serial port through termios: raw 8-bit line, no flow control, no character processing, so
// every byte passes as it is in both directions. Held exclusively (TIOCEXCL and a flock, which
// also keeps out root) from Open() to destruction; each opening starts with empty queues, and
// the terminal gets back the settings it had at opening when the port is destroyed.
//
// Time-outs follow the Windows meaning the link was written for: a one-byte read or write
// waits at most multiplier x 1 + constant milliseconds, measured on the monotonic clock.
class PosixCommPort : public CommPort {
 public:
  // Returns null with `failure` saying what went wrong on `path` and what to do about it.
  static std::unique_ptr<PosixCommPort> Open(const std::string& path, NativeOpenFailure& failure);
  ~PosixCommPort() override;
  PosixCommPort(const PosixCommPort&) = delete;
  PosixCommPort& operator=(const PosixCommPort&) = delete;

  bool GetState(LineSettings& settings) override;
  bool SetState(const LineSettings& settings) override;
  bool GetTimeouts(CommTimeouts& timeouts) override;
  bool SetTimeouts(const CommTimeouts& timeouts) override;
  bool SetRts(bool asserted) override;
  bool SetupQueues(uint32_t inputBytes, uint32_t outputBytes) override;
  IoResult WriteByte(uint8_t byte) override;
  IoResult ReadByte(uint8_t* destination) override;
  bool PurgeInput() override;
  bool DrainOutput() override;

 private:
  using Deadline = std::chrono::steady_clock::time_point;

  PosixCommPort(int fd, const termios& found) : fd_(fd), found_(found) {}
  // Waits until `events` are ready on the port or the deadline passes: Moved when ready,
  // TimedOut, or Failed with the reason. Signals are retried with the time that is left.
  IoResult WaitFor(short events, Deadline deadline) const;

  int fd_;
  const termios found_;  // the terminal's settings at opening, put back at closing
  // termios keeps no such flag: the copy makes GetState report what SetState was given.
  bool abortOnError_ = false;
  // Kept here, as no POSIX driver holds Windows-style time-outs; a new port starts with none.
  CommTimeouts timeouts_{};
};

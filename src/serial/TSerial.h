#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/CommPort.h"
#include "platform/CommTimeouts.h"
#include "platform/LineSettings.h"
#include "platform/PortOpener.h"

// The link to the programming adapter: a serial port opened by its device name (COM1 ...),
// set to 4800 baud 8N1 with fixed time-outs, moving single bytes and driving RTS, which the
// adapter passes on to the target's reset.
//
// It serves one thread at a time. Only the port number may be changed from another thread
// while an operation runs; it applies from the next opening.
//
// A program that names its port itself (the command line: "/dev/ttyUSB0", "sim") makes the
// link with that name instead of a number; the link then always opens that name.
class TSerial {
 public:
  TSerial(int32_t portNumber, PortOpener& opener);
  TSerial(std::string deviceName, PortOpener& opener);
  ~TSerial();
  TSerial(const TSerial&) = delete;
  TSerial& operator=(const TSerial&) = delete;

  void SetPort(int32_t portNumber);
  int32_t GetPort() const { return portNumber_.load(); }
  // "COM" and the port number, or the name the link was made with: what the next Open() opens.
  std::string DeviceName() const;
  // The name the link is open on, or was last open on.
  const std::string& OpenedName() const { return openedName_; }
  // What opens the names: it also says which of them lead to a programmer of another kind.
  PortOpener& Opener() const { return opener_; }

  // Opens and configures the port; does nothing when it is open. Throws PortOpenError with
  // the name, where it led and why; also when the driver refuses the line settings (the port
  // is closed again).
  void Open();
  // Lets the bytes written leave the port, then closes it.
  void Close();
  bool IsOpen() const { return open_; }

  // Each says whether the byte moved, the time-out expired or the port failed (Failed on a
  // closed link). WriteByte waits at most 200 x 1 + 200 ms, ReadByte at most its 100 ms
  // time-out; a ReadByte that moved nothing leaves *destination as it was.
  IoResult WriteByte(uint8_t byte);
  IoResult ReadByte(uint8_t* destination);
  // Drops the answers that have arrived and not been read.
  void PurgeInput();
  void SetRts(bool asserted);
  void SetQueueSizes(uint32_t inputBytes, uint32_t outputBytes);

  // Read-modify-write of the driver's settings; called while Open() configures the port.
  void FetchState();
  void ApplyState();
  void SetReadTimeout(uint32_t ms);
  void SetWriteTimeoutMultiplier(uint32_t msPerByte);
  void SetWriteTimeoutConstant(uint32_t ms);

  // The working copies: after any setter they equal what the driver holds.
  const LineSettings& State() const { return lineSettings_; }
  const CommTimeouts& Timeouts() const { return timeouts_; }

 private:
  // Brings the port just opened to 4800 baud 8N1, RTS asserted and the link's time-outs.
  void Configure();
  template <typename Change>
  void ChangeState(Change change);
  template <typename Change>
  void ChangeTimeouts(Change change);

  bool open_ = false;
  std::unique_ptr<CommPort> handle_;
  // Written by the window's thread, read by the worker's when it opens the link.
  std::atomic<int32_t> portNumber_;
  LineSettings lineSettings_{};
  bool stateRefused_ = false;  // the driver refused an ApplyState() since Open() began
  CommTimeouts timeouts_{};
  const uint32_t writeMultiplier_ = 200;
  const uint32_t writeConstant_ = 200;
  const bool rtsState_ = true;
  const uint32_t baudRate_ = 4800;
  const uint8_t parity_ = LineSettings::kNoParity;
  const uint8_t stopBits_ = LineSettings::kOneStopBit;
  const uint8_t byteSize_ = 8;
  const uint32_t readConstant_ = 100;

  PortOpener& opener_;
  const std::string fixedName_;  // the name the link was made with, if any
  std::string openedName_;
};

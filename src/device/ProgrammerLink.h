#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "device/SessionWaits.h"

// What the programming protocol (ProgrammingSession) talks through to the target's serial
// programming interface (RST, SCK, MOSI, MISO): the serial-to-SPI adapter on a serial port
// (SerialAdapterLink), or an FTDI chip that drives those pins itself (FtdiSpiLink). The
// session keeps the instructions, the datasheet's waits and the checks; a link moves bytes,
// drives the target's reset and adds the waits its own hardware needs (Pacing).
//
// Every byte sent is owed one answer, the byte the target shifted out meanwhile, and answers
// come in order. A link may hold bytes back and send them together (an FTDI chip sends whole
// instructions and pages in few USB transfers): Receive() and Settle() make them go.
// Failures throw Exception naming the port; Open() throws PortOpenError.
class ProgrammerLink {
 public:
  // How long an answer owed may keep away, over several read time-outs of a link, before the
  // programmer counts as not answering.
  static constexpr std::chrono::milliseconds kSilence{500};

  // Waits this link's hardware needs on top of the chip's own, in ms.
  struct Pacing {
    uint32_t afterEnable = 0;     // after Programming Enable
    uint32_t beforeErase = 0;     // before Chip Erase
    uint32_t afterErase = 0;      // after the chip's erase time
    uint32_t aroundPageByte = 0;  // before and after each data byte of a page write
    uint32_t aroundLockByte = 0;  // after each byte of a lock-bit write
  };

  virtual ~ProgrammerLink() = default;

  virtual void Open() = 0;
  // Lets every byte sent reach the target, then closes, leaving the target running as the
  // hardware allows. Never throws.
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // The port as it was named, for messages.
  virtual std::string Name() const = 0;

  virtual const Pacing& Pace() const = 0;
  // True when every byte's answer is read before the next byte goes, as the serial adapter
  // is driven; false when answers may stay owed until they are needed.
  virtual bool LockStep() const = 0;
  // How many answers a streamed read may leave owed while it sends on.
  virtual size_t StreamDepth() const = 0;

  // Resets the target and leaves RST high, ready for Programming Enable; what an earlier
  // session left on its way is dropped. Long waits go through `waits`.
  virtual void ResetTarget(SessionWaits& waits) = 0;
  // Shifts `byte` to the target; the next byte reaches it no sooner than `busy` after it (a
  // self-timed write cycle).
  virtual void Send(uint8_t byte, std::chrono::nanoseconds busy = {}) = 0;
  // The oldest answer owed.
  virtual uint8_t Receive() = 0;
  // A byte and, with nothing else owed, its own answer.
  virtual uint8_t Exchange(uint8_t byte) {
    Send(byte);
    return Receive();
  }
  virtual size_t Owed() const = 0;
  // Makes every byte sent reach the target and their busy times pass; answers stay owed.
  virtual void Settle() = 0;

  // What a line that gives back every byte as sent is, and where to look.
  virtual std::string EchoCause() const = 0;
  virtual std::string EchoAdvice() const = 0;
  // How the user could make this link faster, from what this session saw; empty if nothing.
  virtual std::string SpeedAdvice() const { return ""; }
};

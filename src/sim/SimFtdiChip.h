#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "platform/Clock.h"
#include "platform/FtdiDevice.h"
#include "sim/SimSpiTarget.h"

// An FTDI USB chip with an AT89S51/52 (SimSpiTarget) wired to its pins D0-D7, in time, as
// FTDI's documentation describes it (AN232R-01 and the datasheets):
// - Synchronous bit-bang: each byte the host writes sets the output pins, and for each one the
//   chip sends back one byte: the pins as they were just before that byte was applied. The
//   chip applies a byte only while its buffer toward the host has room: a host that does not
//   read stops the pins.
// - The pins change at most once a tick of the baud-rate generator (FtdiFamily::StateRate),
//   and at the first tick after a byte is there.
// - USB: a transfer starts with the next frame (1 ms at full speed, 125 us at high speed); a
//   frame carries a few bulk packets of 64 (512) bytes. The chip refuses a packet from the host
//   while its buffer cannot take it (the host tries again a packet later), and sends a packet
//   to the host when it has a full one or when its latency timer has run out since the last;
//   each starts with two status bytes, which libftdi strips. libftdi reads in transfers of its
//   chunk size (4 KB unless set), each ending when it is full or a packet falls short, and
//   returns when it has what was asked, or when a transfer brought nothing; what it read
//   beyond that it keeps for the next read.
// - In serial mode the pins are the UART's: TXD and DTR# high, RTS# low while RTS is asserted,
//   the inputs pulled up.
// Every call happens at the clock's time; the blocking ones sleep on the clock until they are
// over. One program at a time holds the chip. Thread-safe.
class SimFtdiChip {
 public:
  using Time = std::chrono::nanoseconds;
  // Which pin D0-D7 goes to which pin of the target.
  struct Wiring {
    int sck = 3, mosi = 0, miso = 1, rst = 2;
    bool loopback = false;  // the MISO pin wired to MOSI instead of to the target
  };

  SimFtdiChip(const FtdiFamily& family, std::shared_ptr<SimSpiTarget> target, Clock& clock);
  SimFtdiChip(const FtdiFamily& family, std::shared_ptr<SimSpiTarget> target, Clock& clock,
              Wiring wiring);

  const FtdiFamily& Family() const { return family_; }
  const std::shared_ptr<SimSpiTarget>& Target() const { return target_; }

  // Claims the chip for one program: false while another holds it.
  bool Claim();
  // Back to serial mode, and free.
  void Release();

  bool SetBitMode(uint8_t outputs, FtdiDevice::Mode mode);
  bool SetBaudRate(int rate);
  bool SetLatencyTimer(uint8_t ms);
  bool SetRts(bool asserted);
  bool Purge();
  int Write(const uint8_t* bytes, int count);
  bool SetReadChunkSize(uint32_t bytes);
  int Read(uint8_t* bytes, int count);
  std::string LastError() const;

  FtdiDevice::Mode CurrentMode() const;
  double StateRate() const;
  uint64_t StatesApplied() const;

 private:
  // Plays the pins up to `t`: every byte that may be applied by then.
  void AdvanceTo(Time t);
  void ApplyPins(Time at);
  bool Level(int pin) const;
  uint8_t Sample() const;
  Time NextFrame(Time t) const;
  Time NextSlot(Time t) const;
  Time TickAtOrAfter(Time t) const;
  // One bulk transfer to the host from `t`: appends the data; returns when it ended.
  Time InTransfer(Time t, std::deque<uint8_t>& data);

  const FtdiFamily& family_;
  const std::shared_ptr<SimSpiTarget> target_;
  Clock& clock_;
  const Wiring wiring_;

  mutable std::mutex mutex_;  // guards every field below
  bool held_ = false;
  FtdiDevice::Mode mode_ = FtdiDevice::Mode::Serial;
  uint8_t outputs_ = 0;  // the pins driven in bit-bang mode
  uint8_t levels_ = 0;   // the last byte applied
  bool rts_ = false;
  double baud_ = 9600;  // the baud-rate generator's
  Time origin_{0};      // a tick of the generator
  Time tick_{0};        // its period in bit-bang mode
  Time nextTick_{0};
  Time latency_ = std::chrono::milliseconds(16);
  Time lastPacketAt_{0};
  uint32_t readChunk_ = 4096;
  std::deque<uint8_t> fromHost_, toHost_, hostBuffer_;
  uint64_t applied_ = 0;
  std::string lastError_;
};

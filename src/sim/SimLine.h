#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>

#include "sim/SimChip.h"

// The serial line between the PC and the programming adapter, and the adapter itself, in
// time: what a real 4800-baud adapter does, so that timing faults show up in tests.
//
// - Each byte takes 10 bits / baud rate to cross, in each direction; the PC's UART sends the
//   bytes written one after another, and both directions run at once (full duplex).
// - The adapter's UART holds up to `adapterBuffer` received bytes; a byte that arrives when
//   it is full is lost. The firmware takes each byte as it arrives, clocks it to the chip over
//   SPI (`spiTransfer`) and puts the answer into the transmitter's holding register, waiting
//   while that holds the previous answer. So it keeps up with bytes sent back to back, unless
//   its SPI transfer takes longer than a byte time (a target with a very slow clock): then
//   the buffer fills, and a PC that does not wait for answers loses bytes.
// - A USB-serial adapter holds answers back and hands them over in bursts every `latency`.
// - With `echo`, every byte comes back as it was sent (a loopback plug, or an adapter that
//   passes nothing to a target).
// With a baud rate of 0 bytes cross at once: the protocol alone, for tests on virtual time.
//
// The line outlives the ports opened on it, as a real one does: answers still on their way
// when a port closes arrive at the next opening. Every call takes the caller's time, on the
// clock the chip uses. Thread-safe.
class SimLine {
 public:
  using Time = std::chrono::nanoseconds;

  struct Options {
    uint32_t baudRate = 0;
    size_t adapterBuffer = 16;
    Time spiTransfer{std::chrono::microseconds(20)};  // 8 bits at 400 kHz
    Time latency{0};
    bool echo = false;
  };

  SimLine(std::shared_ptr<SimChip> chip, Options options);

  const std::shared_ptr<SimChip>& Chip() const { return chip_; }

  // The PC writes a byte: it leaves once the bytes before it have gone.
  void Write(uint8_t byte, Time now);
  // RTS reaches the chip at once; bytes still on the wire reach it after.
  void SetRts(bool asserted, Time now);
  // The oldest answer that has reached the PC by `now`.
  std::optional<uint8_t> Take(Time now);
  // Drops the answers that have reached the PC by `now`; later ones still come.
  void DropArrived(Time now);
  // When the next thing happens on the line (a byte reaches the adapter, the adapter clocks
  // one to the chip, an answer reaches the PC); nothing when all is quiet.
  std::optional<Time> NextEvent(Time now);
  // When the last byte written will have left the PC.
  Time OutputDrainedAt() const;
  // Bytes lost in the adapter's full buffer so far.
  uint64_t LostBytes() const;
  // The adapter is pulled out: every port on the line fails from now on.
  void Unplug();
  bool Unplugged() const;
  // A burst of noise: the next answer arrives with a framing error, which the port reports
  // (and drops) instead of handing over a wrong byte.
  void Noise();
  bool TakeNoise();
  // From `now` for `length`, no answer reaches the PC: a USB host that is late to poll the
  // adapter, or a busy machine. What arrives meanwhile comes in one burst at the end.
  void Stall(Time now, Time length);

 private:
  struct Timed {
    uint8_t byte;
    Time at;
  };

  // Plays every event up to `now`, in time order.
  void Advance(Time now);
  void Arrive();
  void Serve();
  std::optional<Time> NextArrival() const;
  std::optional<Time> NextService() const;
  Time Delivered(Time answerSent) const;

  const std::shared_ptr<SimChip> chip_;
  const Options options_;
  const Time byteTime_;
  const Time spiTransfer_;  // none when bytes cross at once

  mutable std::mutex mutex_;         // guards every field below
  Time pcSendsUntil_{0};             // when the PC's UART has sent every byte written
  Time firmwareFreeAt_{0};           // when the adapter's firmware can take the next byte
  Time holdingFreeAt_{0};            // when its transmitter's holding register empties
  Time adapterSendsUntil_{0};        // when its transmitter has sent the last answer
  std::deque<Timed> onWire_;         // bytes on their way, with the time each has fully arrived
  std::deque<Timed> adapterBuffer_;  // arrived, not yet clocked to the chip
  std::deque<Timed> answers_;        // answers, with the time each reaches the PC
  uint64_t lost_ = 0;
  Time stalledUntil_{0};
  bool unplugged_ = false;
  bool noise_ = false;
};

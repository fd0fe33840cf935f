#pragma once

#include <chrono>

#include "device/ProgrammerLink.h"
#include "platform/Clock.h"
#include "platform/IoResult.h"
#include "serial/TSerial.h"

// The serial-to-SPI adapter on a serial port (TSerial): each byte written is clocked to the
// target and answered with the byte clocked in; RTS drives the target's reset. The adapter
// is paced as it always was: the reset pulse on RTS (cleared 600 ms, set 600 ms), 600 ms after
// Programming Enable, a second before the erase and half a second after its 500 ms, 1 ms
// around each page byte, 2 ms after each lock-bit byte; answers are read as they come (lock
// step), a streamed read keeping four in flight, few enough for any adapter's buffer.
//
// Answers of an earlier operation may still be on their way when the port closes: the reset
// drops what has arrived by its end. An exchange that takes much longer than the line's two
// byte times means a USB-serial adapter holds its answers back (SpeedAdvice).
class SerialAdapterLink : public ProgrammerLink {
 public:
  static constexpr size_t kStreamDepth = 4;

  // `queueBytes`, when not 0, asks the driver for queues of that size on opening.
  SerialAdapterLink(TSerial& serial, Clock& clock, uint32_t queueBytes = 0);
  ~SerialAdapterLink() override;

  void Open() override;
  void Close() override;
  bool IsOpen() const override { return serial_.IsOpen(); }
  std::string Name() const override { return serial_.OpenedName(); }
  const Pacing& Pace() const override;
  bool LockStep() const override { return true; }
  size_t StreamDepth() const override { return kStreamDepth; }

  void ResetTarget(SessionWaits& waits) override;
  void Send(uint8_t byte, std::chrono::nanoseconds busy = {}) override;
  uint8_t Receive() override;
  uint8_t Exchange(uint8_t byte) override;
  size_t Owed() const override { return owed_; }
  void Settle() override;

  std::string EchoCause() const override;
  std::string EchoAdvice() const override;
  std::string SpeedAdvice() const override;

  // The exchanges that waited for their own answer, in all.
  struct ExchangeTiming {
    uint64_t count = 0;
    std::chrono::nanoseconds total{0};
  };
  const ExchangeTiming& LockStepTiming() const { return lockStepTiming_; }

 private:
  enum class Direction { Reading, Writing };
  [[noreturn]] void FailOn(const IoResult& result, Direction direction) const;

  TSerial& serial_;
  Clock& clock_;
  const uint32_t queueBytes_;
  size_t owed_ = 0;                        // answers of bytes written and not yet read
  std::chrono::nanoseconds busyUntil_{0};  // no byte may reach the target before
  ExchangeTiming lockStepTiming_;
};

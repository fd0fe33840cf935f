#pragma once

#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "device/FtdiPins.h"
#include "device/ProgrammerLink.h"
#include "platform/Clock.h"
#include "platform/FtdiDevice.h"
#include "platform/PortOpener.h"

// An FTDI chip in synchronous bit-bang mode driving the target's serial programming interface
// itself: RST high for the whole session, SPI mode 0, MSB first. Each bit is two pin states,
// SCK low with MOSI set, then SCK high; the chip sends back the pins as they were before each
// state, so MISO of a bit is read in the sample taken after its high state (MISO changes after
// the falling edge). The pins change at the chip's pin-state rate, chosen so that SCK stays at
// or under 1/16 of the target's crystal and the chip's USB buffers keep the pins busy.
//
// Bytes wait in a queue and go in few USB transfers: a whole instruction when its answers are
// needed, a whole page when it is settled. The datasheet's waits ride along as idle pin
// states (a page byte's tSWC), or as a sleep after the bytes went (the erase's 500 ms). The
// writes and reads of a batch overlap, so the chip's buffers never fill.
class FtdiSpiLink : public ProgrammerLink {
 public:
  struct Options {
    // The target's crystal: SCK at most 1/16 of it. 3 MHz, the least a chip takes for
    // programming, suits every board.
    double crystalHz = 3e6;
    FtdiPins pins;
  };

  FtdiSpiLink(PortOpener& opener, std::string name, Clock& clock, Options options);
  ~FtdiSpiLink() override;

  void Open() override;
  void Close() override;
  bool IsOpen() const override { return device_ != nullptr; }
  std::string Name() const override { return name_; }
  const Pacing& Pace() const override;
  bool LockStep() const override { return false; }
  size_t StreamDepth() const override;

  void ResetTarget(SessionWaits& waits) override;
  void Send(uint8_t byte, std::chrono::nanoseconds busy = {}) override;
  uint8_t Receive() override;
  size_t Owed() const override { return starts_.size() + answers_.size(); }
  void Settle() override;

  std::string EchoCause() const override;
  std::string EchoAdvice() const override;

  // The pin states a second and the SCK frequency in use.
  double StateRate() const { return stateRate_; }
  double SckHz() const { return stateRate_ / 2; }
  // The fastest pin-state rate at which the chip's buffers keep its pins busy across the
  // host's turns (a write and a read, each starting with a USB frame).
  static double BufferedStateRate(const FtdiFamily& family);

 private:
  void Configure();
  void ChooseRate();
  void AddState(bool sck, bool mosi);
  // Sends every queued state and reads every sample back; the answers go to answers_.
  void Flush();
  void Pump(const std::vector<uint8_t>& states, std::vector<uint8_t>& samples);
  [[noreturn]] void FailUsb(const char* what) const;

  PortOpener& opener_;
  const std::string name_;
  Clock& clock_;
  const Options options_;
  std::unique_ptr<FtdiDevice> device_;
  double stateRate_ = 0;
  uint32_t readChunk_ = 0;
  bool rstHigh_ = false;
  bool mosi_ = false;
  std::vector<uint8_t> states_;            // queued pin states
  std::vector<size_t> starts_;             // where each queued byte's states begin
  std::deque<uint8_t> answers_;            // answers that came back and are owed
  std::chrono::nanoseconds settleFor_{0};  // a long busy time, slept after the bytes went
};

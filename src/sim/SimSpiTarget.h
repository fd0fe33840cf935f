#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sim/SimChip.h"

// An AT89S51 or AT89S52 at its pins, as the datasheet's serial programming interface works:
// RST, SCK, MOSI in, MISO out, behind the simulated chip (SimChip), which keeps the
// instructions and the flash.
//
// - Programming needs RST high; RST going high after it was low is the reset that lets a
//   Programming Enable through. With RST low MISO is a port pin, read high.
// - SPI mode 0, MSB first: MOSI is sampled on the rising edge of SCK (it must be set up
//   tCLCL before, and held 2 tCLCL after), MISO changes after the falling edge. The chip
//   loads a byte's answer when the byte before is complete, its first bit on MISO at once.
// - SCK may run at most at 1/16 of the crystal: high and low at least 8 oscillator periods
//   each (tSHSL, tSLSH). A shorter pulse is not seen, so the bytes slip.
// - A page-write byte is self-timed: 64 oscillator periods + 400 us (tSWC). One that arrives
//   sooner is lost (SimChip counts it).
// Each broken timing is recorded as a fault, with when. Thread-safe.
class SimSpiTarget {
 public:
  using Time = std::chrono::nanoseconds;

  struct PinState {
    Time at;
    bool rst, sck, mosi, miso;
  };

  SimSpiTarget(std::shared_ptr<SimChip> chip, double crystalHz);

  const std::shared_ptr<SimChip>& Chip() const { return chip_; }
  double CrystalHz() const { return crystalHz_; }

  // The levels the programmer drives, from `at` on.
  void Drive(bool rst, bool sck, bool mosi, Time at);
  bool Miso() const;

  // The timing rules broken so far, in words: "12.000400 ms: SCK high 41 ns, under 8 clock
  // periods (667 ns)".
  std::vector<std::string> Faults() const;
  // With recording on, every change of the pins is kept (for tests of the wire).
  void Record(bool on);
  std::vector<PinState> Recorded() const;

 private:
  void Apply(bool rst, bool sck, bool mosi, Time at);
  void ResetLevel(bool rst, Time at);
  void Rise(bool mosi, Time at);
  void Fall(Time at);
  void Fault(Time at, const std::string& what);
  Time Periods(int count) const;

  const std::shared_ptr<SimChip> chip_;
  const double crystalHz_;

  mutable std::mutex mutex_;  // guards every field below
  bool rst_ = false, sck_ = false, mosi_ = false;
  Time lastFall_{0}, lastRise_{0}, mosiChangedAt_{0}, rstRoseAt_{0};
  bool sampled_ = false;        // the bit taken on the last rising edge
  bool pulseTooShort_ = false;  // the low phase before that rising edge was too short
  uint8_t shiftIn_ = 0;
  int bits_ = 0;
  uint8_t shiftOut_ = 0xFF;
  int outBit_ = 7;
  std::vector<std::string> faults_;
  bool recording_ = false;
  std::vector<PinState> recorded_;
};

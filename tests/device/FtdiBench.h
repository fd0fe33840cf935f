#pragma once

// An FTDI chip with an AT89S52 on its pins, both simulated, on virtual time: what the tests of
// the FTDI link need.

#include <memory>
#include <string>
#include <vector>

#include "device/FtdiSpiLink.h"
#include "device/ProgrammingSession.h"
#include "platform/VirtualClock.h"
#include "sim/SimPortResolver.h"

struct FtdiBench {
  static constexpr const char* kPort = "sim-ftdi:AT89S52";

  VirtualClock clock;
  SimPortResolver resolver{clock, [] { return std::vector<SystemPort>(); },
                           FtdiPorts([] { return std::vector<FtdiChipInfo>(); })};
  std::shared_ptr<SimFtdiChip> chip;
  FtdiSpiLink link;

  explicit FtdiBench(SimFtdiPorts::Options sim = {}, FtdiSpiLink::Options options = {})
      : chip(Made(resolver, sim)), link(resolver, kPort, clock, options) {}

  SimSpiTarget& Target() { return *chip->Target(); }
  SimChip& Chip() { return *chip->Target()->Chip(); }

 private:
  static std::shared_ptr<SimFtdiChip> Made(SimPortResolver& resolver,
                                           const SimFtdiPorts::Options& options) {
    resolver.SetSimFtdiOptions(options);
    return resolver.SimFtdiChipFor(kPort);
  }
};

// The bytes the target took: MOSI at each rising edge of SCK while RST was high, 8 to a byte.
inline std::vector<uint8_t> BytesOnTheWire(const std::vector<SimSpiTarget::PinState>& pins) {
  std::vector<uint8_t> bytes;
  int bits = 0;
  uint8_t byte = 0;
  bool sck = false;
  for (const SimSpiTarget::PinState& pin : pins) {
    if (pin.rst && pin.sck && !sck) {
      byte = static_cast<uint8_t>(byte << 1 | (pin.mosi ? 1 : 0));
      if (++bits == 8) {
        bytes.push_back(byte);
        bits = 0;
      }
    }
    sck = pin.sck;
  }
  return bytes;
}

// The simulated FTDI chip against FTDI's documentation of synchronous bit-bang and its USB:
// the samples it sends back, the pin-state rate of each family, packets and the latency
// timer, and a host that stops reading.

#include "sim/SimFtdiChip.h"

#include <gtest/gtest.h>

#include "platform/VirtualClock.h"

namespace {

using Kind = FtdiFamily::Kind;
using Mode = FtdiDevice::Mode;
using std::chrono::milliseconds;

struct Rig {
  VirtualClock clock;
  std::shared_ptr<SimSpiTarget> target = std::make_shared<SimSpiTarget>(
      std::make_shared<SimChip>(SimChip::Model::AT89S52, clock), 12e6);
  SimFtdiChip chip;

  explicit Rig(Kind family = Kind::FT232R) : chip(FtdiFamily::Of(family), target, clock) {}
  // D0, D2 and D3 out (SCK, MOSI, RST), D1 in (MISO), in synchronous bit-bang at `rate`.
  void BitBang(int rate) {
    chip.SetBitMode(0x0D, Mode::SyncBitBang);
    chip.SetBaudRate(rate);
  }
  std::vector<uint8_t> Exchange(const std::vector<uint8_t>& bytes) {
    EXPECT_EQ(chip.Write(bytes.data(), static_cast<int>(bytes.size())),
              static_cast<int>(bytes.size()));
    std::vector<uint8_t> back(bytes.size());
    size_t got = 0;
    while (got < back.size()) {
      const int read = chip.Read(back.data() + got, static_cast<int>(back.size() - got));
      EXPECT_GE(read, 0);
      got += static_cast<size_t>(read);
    }
    return back;
  }
};

// AN232R-01: "Pins start at 0xFF; send 0x55, 0xAA, 0xAA; data read = 0xFF, 0x55, 0xAA": each
// sample is the pins before its byte was applied. Here D0-D3 are outputs, the rest inputs
// read high, and the target's MISO on D1 (an input) reads high while RST is low.
TEST(SimFtdiSyncBitBang, EachByteReadsThePinsBeforeIt) {
  Rig rig;
  ASSERT_TRUE(rig.chip.SetBitMode(0xFF, Mode::SyncBitBang));
  ASSERT_TRUE(rig.chip.SetBaudRate(10000));
  rig.Exchange({0xFF});
  EXPECT_EQ(rig.Exchange({0x55, 0xAA, 0xAA}), (std::vector<uint8_t>{0xFF, 0x55, 0xAA}));
  ASSERT_TRUE(rig.chip.SetBitMode(0x0D, Mode::SyncBitBang));
  // The outputs keep their last levels (AA: D3 high) until the first byte.
  EXPECT_EQ(rig.Exchange({0x00, 0x01, 0x08}), (std::vector<uint8_t>{0xFA, 0xF2, 0xF3}));
}

// The pins change at the rate the divisor makes of four times the rate given (libftdi's
// factor in bit-bang mode), from each family's base clock; asked before bit-bang is on, the
// rate is not scaled.
TEST(SimFtdiSyncBitBang, ThePinStateRateFollowsTheBaudRateSetting) {
  const struct {
    Kind family;
    int rate;
    bool bitBangFirst;
    double states;
  } cases[] = {
      {Kind::FT232R, 10000, true, 10000},    {Kind::FT232R, 68966, true, 3e6 / 10.875 / 4},
      {Kind::FT232R, 40000, false, 10000},   {Kind::FT232H, 375000, true, 375000},
      {Kind::FT2232H, 1500000, true, 1.5e6},
  };
  for (const auto& c : cases) {
    Rig rig(c.family);
    if (c.bitBangFirst) rig.chip.SetBitMode(0x0D, Mode::SyncBitBang);
    ASSERT_TRUE(rig.chip.SetBaudRate(c.rate));
    if (!c.bitBangFirst) rig.chip.SetBitMode(0x0D, Mode::SyncBitBang);
    EXPECT_NEAR(rig.chip.StateRate(), c.states, c.states * 1e-6) << c.rate;
    const std::vector<uint8_t> states(120, 0x00);
    ASSERT_EQ(rig.chip.Write(states.data(), 120), 120);
    const auto tenStates = std::chrono::nanoseconds(static_cast<int64_t>(10e9 / c.states));
    rig.clock.Advance(tenStates);
    rig.chip.Read(nullptr, 0);
    const uint64_t before = rig.chip.StatesApplied();
    rig.clock.Advance(5 * tenStates);
    rig.chip.Read(nullptr, 0);
    EXPECT_NEAR(static_cast<double>(rig.chip.StatesApplied() - before), 50.0, 1.0) << c.rate;
  }
}

// A packet goes to the host when 62 samples fill it, else only when the latency timer runs
// out since the last packet: a single sample waits the timer, a full packet does not (with
// reads of one packet, as the link makes them).
TEST(SimFtdiUsb, APartPacketWaitsForTheLatencyTimer) {
  const struct {
    uint8_t latencyMs;
    size_t bytes;
    int64_t atMostUs;
  } cases[] = {{16, 1, 17000}, {1, 1, 2100}, {16, 62, 2100}};
  for (const auto& c : cases) {
    Rig rig;
    rig.BitBang(100000);
    rig.chip.SetLatencyTimer(c.latencyMs);
    rig.chip.SetReadChunkSize(64);
    rig.Exchange({0x00});
    const auto start = rig.clock.Now();
    rig.Exchange(std::vector<uint8_t>(c.bytes, 0x00));
    const int64_t took =
        std::chrono::duration_cast<std::chrono::microseconds>(rig.clock.Now() - start).count();
    EXPECT_LE(took, c.atMostUs) << int(c.latencyMs) << " " << c.bytes;
    EXPECT_GE(took, c.bytes == 1 ? c.latencyMs * 1000 - 1000 : 0) << int(c.latencyMs);
  }
}

// The chip applies a byte only with room for its sample: a host that writes more than both
// buffers hold and never reads stops the pins, and its write times out.
TEST(SimFtdiUsb, AHostThatDoesNotReadStopsThePins) {
  Rig rig;
  rig.BitBang(100000);
  const std::vector<uint8_t> states(1000, 0x00);
  EXPECT_EQ(rig.chip.Write(states.data(), 1000), -1);
  EXPECT_EQ(rig.chip.StatesApplied(), FtdiFamily::Of(Kind::FT232R).toHostFifo);
}

// In serial mode the pins are the UART's: RTS# is low while RTS is asserted, so a target
// whose RST hangs on it runs; leaving bit-bang gives the pins back to the UART.
TEST(SimFtdiSerialMode, RtsDrivesTheResetPinLowWhileAsserted) {
  Rig rig;
  rig.target->Record(true);
  rig.chip.SetRts(true);
  EXPECT_FALSE(rig.target->Recorded().back().rst);
  rig.chip.SetRts(false);
  EXPECT_TRUE(rig.target->Recorded().back().rst);
  ASSERT_TRUE(rig.chip.Claim());
  EXPECT_FALSE(rig.chip.Claim());
  rig.chip.SetBitMode(0x0D, Mode::SyncBitBang);
  EXPECT_FALSE(rig.target->Recorded().back().rst);
  rig.chip.Release();
  EXPECT_EQ(rig.chip.CurrentMode(), Mode::Serial);
  EXPECT_TRUE(rig.target->Recorded().back().rst);
  EXPECT_TRUE(rig.chip.Claim());
}

}  // namespace

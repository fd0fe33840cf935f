// The FTDI link against the simulated FTDI chip and the pin-level AT89S52 behind it: the bit
// patterns on the wire, the timing the chip demands (which the simulated chip checks, so a
// clock too fast or a page byte too early is caught), and what each failure says.

#include "device/FtdiSpiLink.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "device/DeviceBench.h"

namespace {

using ::testing::HasSubstr;
using Time = std::chrono::nanoseconds;

// A page of data that differs with `seed`.
std::vector<uint8_t> Page(uint8_t seed) { return PageOf(Pattern(256, seed), 0); }

// One instruction, Read Signature at 100H: its bits go out MSB first, each set up on MOSI a
// whole state before SCK rises; the answer comes from MISO as sampled after the rising
// edges; RST stays high from before the first bit to after the last.
TEST(FtdiWire, OneInstructionBitByBit) {
  FtdiBench bench;
  ProgrammingSession session(bench.link, bench.clock);
  bench.Target().Record(true);
  EXPECT_EQ(session.ReadSignature(), 0x06521E);
  const std::vector<SimSpiTarget::PinState> pins = bench.Target().Recorded();
  EXPECT_EQ(BytesOnTheWire(pins),
            (std::vector<uint8_t>{0x28, 0, 0, 0, 0x28, 1, 0, 0, 0x28, 2, 0, 0}));
  const Time state(static_cast<int64_t>(1e9 / bench.link.StateRate()));
  Time mosiSince{0};
  bool mosi = pins.front().mosi, sck = false;
  for (const SimSpiTarget::PinState& pin : pins) {
    EXPECT_TRUE(pin.rst);
    if (pin.mosi != mosi) {
      EXPECT_FALSE(pin.sck) << "MOSI changes only while SCK is low";
      mosiSince = pin.at;
    }
    if (pin.sck && !sck) {
      EXPECT_GE(pin.at - mosiSince, state - Time(1));
    }
    mosi = pin.mosi;
    sck = pin.sck;
  }
  EXPECT_TRUE(bench.Target().Faults().empty());
}

// A page: Write Page, the page number and 256 bytes, each byte completed at least tSWC after
// the one before, at the slowest crystal a chip programs with; the flash holds the page.
TEST(FtdiWire, APageGivesEachByteItsWriteCycle) {
  SimFtdiPorts::Options slowest;
  slowest.crystalHz = 3e6;
  FtdiBench bench(slowest);
  ProgrammingSession session(bench.link, bench.clock);
  session.ChipErase();
  const std::vector<uint8_t> page = Page(5);
  bench.Target().Record(true);
  session.WritePage(0x03, page.data(), bench.noTrace);
  std::vector<uint8_t> expected = {0x50, 0x03};
  expected.insert(expected.end(), page.begin(), page.end());
  EXPECT_EQ(BytesOnTheWire(bench.Target().Recorded()), expected);
  EXPECT_EQ(PageOf(bench.Chip().Flash(), 3), page);
  EXPECT_EQ(bench.Chip().EarlyPageBytes(), 0u);
  EXPECT_TRUE(bench.Target().Faults().empty());
}

// SCK is chosen from the crystal the user names: one faster than the target's own breaks
// the 1/16 rule, which the chip does not follow, and the session fails; the right one or a
// slower one is good.
TEST(FtdiTiming, AClockTooFastForTheCrystalIsCaught) {
  const struct {
    double targetHz, namedHz;
    bool fast;
  } cases[] = {{3e6, 3e6, false}, {12e6, 3e6, false}, {3e6, 12e6, true}, {6e6, 24e6, true}};
  for (const auto& c : cases) {
    SimFtdiPorts::Options sim;
    sim.family = FtdiFamily::Kind::FT232H;  // fast enough USB that the crystal decides
    sim.crystalHz = c.targetHz;
    FtdiSpiLink::Options options;
    options.crystalHz = c.namedHz;
    FtdiBench bench(sim, options);
    const std::string failure =
        FailureOf([&] { ProgrammingSession(bench.link, bench.clock).ReadSignature(); });
    EXPECT_LE(bench.link.SckHz(), c.namedHz / 16) << c.namedHz;
    EXPECT_EQ(!bench.Target().Faults().empty(), c.fast) << c.namedHz;
    if (c.fast) {
      EXPECT_THAT(failure, HasSubstr("did not enter programming mode")) << c.namedHz;
      EXPECT_THAT(bench.Target().Faults().front(), HasSubstr("under 8 clock periods")) << c.namedHz;
    } else {
      EXPECT_EQ(failure, "no failure") << c.namedHz;
    }
  }
}

// A link that sends page bytes without their write cycle: the chip loses the early bytes.
class HurriedLink : public FtdiSpiLink {
 public:
  using FtdiSpiLink::FtdiSpiLink;
  void Send(uint8_t byte, std::chrono::nanoseconds busy) override {
    FtdiSpiLink::Send(byte, busy > std::chrono::milliseconds(1) ? busy : Time{0});
  }
};

TEST(FtdiTiming, APageByteTooEarlyIsCaught) {
  FtdiBench bench;
  HurriedLink hurried(bench.resolver, FtdiBench::kPort, bench.clock, {});
  ProgrammingSession session(hurried, bench.clock);
  session.ChipErase();
  const std::vector<uint8_t> page = Page(9);
  session.WritePage(0x00, page.data(), bench.noTrace);
  // A lost byte leaves the chip free for the next: every other byte is lost.
  EXPECT_GE(bench.Chip().EarlyPageBytes(), 127u);
  EXPECT_THAT(bench.Target().Faults().front(), HasSubstr("tSWC"));
  EXPECT_NE(PageOf(bench.Chip().Flash(), 0), page);
}

// Answers owed across instructions come back in order, however the bytes were batched. The
// waits the session asks of an FTDI chip are the chip's: RST low and high 10 ms each, the
// erase's 500 ms after its bytes went; page bytes wait in pin states, not in sleeps.
TEST(FtdiAnswers, AReadAfterWritesTakesItsOwnAnswersAndOnlyTheChipsWaitsAreSlept) {
  FtdiBench bench;
  {
    ProgrammingSession session(bench.link, bench.clock);
    session.ChipErase();
    const std::vector<uint8_t> first = Page(2), second = Page(3);
    session.WritePage(0x00, first.data(), bench.noTrace);
    session.WritePage(0x1F, second.data(), bench.noTrace);
    std::vector<uint8_t> back(512);
    session.ReadPagesStreamed({0x1F, 0x00}, back.data(), bench.noTrace, nullptr);
    EXPECT_EQ(PageOf(back, 0), second);
    EXPECT_EQ(PageOf(back, 1), first);
    EXPECT_EQ(session.ReadLockBits(), 0);
  }
  EXPECT_EQ(bench.clock.Sleeps(), (std::vector<uint32_t>{10, 10, 500}));
}

// Closing lets the target run (RST low, kept low by RTS# in serial mode) and gives the chip
// back in serial mode; the next session finds it as the last left it.
TEST(FtdiLink, ClosingLeavesTheTargetRunningAndTheChipSerial) {
  FtdiBench bench;
  {
    ProgrammingSession session(bench.link, bench.clock);
    session.WriteLockBits(1);
  }
  EXPECT_EQ(bench.chip->CurrentMode(), FtdiDevice::Mode::Serial);
  EXPECT_FALSE(bench.Chip().InProgrammingMode());
  bench.Target().Record(true);
  bench.clock.Advance(std::chrono::milliseconds(1));
  bench.chip->SetRts(true);
  EXPECT_FALSE(bench.Target().Recorded().back().rst);
  ProgrammingSession again(bench.link, bench.clock);
  EXPECT_EQ(again.ReadLockBits(), 1);
}

// Opening fails saying why: MISO wired to MOSI echoes; MISO on another pin leaves a loose one,
// read FF; while another session holds the chip, its interface is in use.
TEST(FtdiLink, AnOpeningThatFailsSaysWhatItSees) {
  const struct {
    int misoPin;
    bool loopback, held;
    std::string said;
  } cases[] = {
      {1, true, false,
       "sim-ftdi:AT89S52: MISO gives back every byte MOSI sends (AC 53 00 69 came back as "
       "sent): MISO and MOSI are connected, or the wiring is not SCK=D3,MOSI=D0,MISO=D1,RST=D2; "
       "check "
       "the wires to the target"},
      {5, false, false,
       "the target did not enter programming mode (expected 69, got FF); check the adapter, the "
       "target's power and its clock"},
      {1, false, true,
       "cannot open sim-ftdi:AT89S52: the chip's interface is claimed by another program"},
  };
  for (const auto& c : cases) {
    SimFtdiPorts::Options sim;
    sim.wiring.miso = c.misoPin;
    sim.wiring.loopback = c.loopback;
    FtdiBench bench(sim);
    std::optional<ProgrammingSession> first;
    if (c.held) first.emplace(bench.link, bench.clock);
    FtdiSpiLink link(bench.resolver, FtdiBench::kPort, bench.clock, {});
    EXPECT_EQ(FailureOf([&] { ProgrammingSession session(link, bench.clock); }), c.said);
    EXPECT_FALSE(link.IsOpen()) << c.said;
  }
}

}  // namespace

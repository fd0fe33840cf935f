// The AT89S52 at its pins, driven by hand: bits shift on SCK edges, programming needs RST
// high, and each timing rule of the datasheet is checked.

#include "sim/SimSpiTarget.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/VirtualClock.h"

namespace {

using ::testing::HasSubstr;
using Time = std::chrono::nanoseconds;

// Drives whole bytes MSB first, SCK low then high for `phase` each, MOSI set with SCK low.
class Hand {
 public:
  explicit Hand(double crystalHz = 12e6)
      : target(std::make_shared<SimChip>(SimChip::Model::AT89S52, clock), crystalHz) {}

  void Reset() {
    target.Drive(false, false, false, at);
    at += std::chrono::milliseconds(1);
    target.Drive(true, false, false, at);
    at += std::chrono::milliseconds(10);
  }
  uint8_t Shift(uint8_t byte, Time phase, Time after = Time{0}) {
    uint8_t answer = 0;
    for (int bit = 7; bit >= 0; --bit) {
      const bool level = (byte >> bit & 1) != 0;
      target.Drive(true, false, level, at);
      at += phase;
      target.Drive(true, true, level, at);
      answer = static_cast<uint8_t>(answer << 1 | (target.Miso() ? 1 : 0));
      at += phase;
    }
    target.Drive(true, false, false, at);
    at += after;
    return answer;
  }
  std::vector<uint8_t> Instruction(std::vector<uint8_t> bytes, Time phase) {
    for (uint8_t& byte : bytes) byte = Shift(byte, phase);
    return bytes;
  }

  VirtualClock clock;
  SimSpiTarget target;
  Time at{0};
};

const Time kGood(700);  // over 8 periods of 12 MHz (667 ns)

TEST(SimSpiTarget, BitsShiftOnTheEdgesAfterAReset) {
  Hand hand;
  hand.Reset();
  EXPECT_EQ(hand.Instruction({0xAC, 0x53, 0x00, 0x00}, kGood)[3], 0x69);
  EXPECT_EQ(hand.Instruction({0x28, 0x01, 0x00, 0x00}, kGood)[3], 0x52);
  EXPECT_TRUE(hand.target.Faults().empty());
  // RST low ends programming; the chip's MISO is then a port pin, read high.
  hand.target.Drive(false, false, false, hand.at);
  EXPECT_TRUE(hand.target.Miso());
  EXPECT_FALSE(hand.target.Chip()->InProgrammingMode());
}

// SCK high or low under 8 crystal periods is a fault, and the pulse is missed: the
// instruction slips and Programming Enable fails. MOSI changed together with SCK rising is not
// set up: the chip takes the level before.
TEST(SimSpiTarget, EachTimingRuleIsChecked) {
  const struct {
    double crystalHz;
    Time phase;
    bool enables;
    std::string fault;
  } cases[] = {
      {12e6, Time(700), true, ""},
      {12e6, Time(600), false, "under 8 clock periods (667 ns)"},
      {3e6, Time(2700), true, ""},
      {3e6, Time(2600), false, "SCK high 2600 ns"},
  };
  for (const auto& c : cases) {
    Hand hand(c.crystalHz);
    hand.Reset();
    const bool enabled = hand.Instruction({0xAC, 0x53, 0x00, 0x00}, c.phase)[3] == 0x69;
    EXPECT_EQ(enabled, c.enables) << c.phase.count();
    if (c.fault.empty()) {
      EXPECT_TRUE(hand.target.Faults().empty()) << c.phase.count();
    } else {
      ASSERT_FALSE(hand.target.Faults().empty()) << c.phase.count();
      EXPECT_THAT(hand.target.Faults().front(), HasSubstr(c.fault)) << c.phase.count();
    }
  }
  Hand hand;
  hand.Reset();
  hand.target.Drive(true, true, true, hand.at);
  ASSERT_FALSE(hand.target.Faults().empty());
  EXPECT_THAT(hand.target.Faults().front(), HasSubstr("MOSI not set up"));
}

// tSWC is 64 periods + 400 us: a page byte sooner than that after the one before is lost.
TEST(SimSpiTarget, APageByteBeforeTheWriteCycleEndsIsLost) {
  const struct {
    double crystalHz;
    Time gap;
    bool lost;
  } cases[] = {{12e6, Time(406000), false},
               {12e6, Time(400000), true},
               {3e6, Time(422000), false},
               {3e6, Time(415000), true}};
  for (const auto& c : cases) {
    Hand hand(c.crystalHz);
    hand.Reset();
    hand.Instruction({0xAC, 0x53, 0x00, 0x00}, kGood * 4);
    hand.Instruction({0xAC, 0x80, 0x00, 0x00}, kGood * 4);
    hand.at += std::chrono::milliseconds(500);
    hand.Shift(0x50, kGood * 4);
    hand.Shift(0x00, kGood * 4);
    // The byte completes at its last falling edge; the next one 16 phases later.
    hand.Shift(0x12, kGood * 4, c.gap - 16 * kGood * 4);
    hand.Shift(0x34, kGood * 4);
    EXPECT_EQ(hand.target.Chip()->Flash()[1] == 0xFF, c.lost) << c.gap.count();
    EXPECT_EQ(hand.target.Chip()->EarlyPageBytes(), c.lost ? 1u : 0u) << c.gap.count();
  }
}

}  // namespace

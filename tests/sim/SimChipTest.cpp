// The simulated chip behaves as the datasheet says, since every other test trusts it.

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/VirtualClock.h"
#include "sim/SimChip.h"
#include "sim/SimPortResolver.h"

namespace {

struct Chip {
  explicit Chip(SimChip::Model model = SimChip::Model::AT89S52) : chip(model, clock) {}
  VirtualClock clock;
  SimChip chip;

  std::vector<uint8_t> Send(std::initializer_list<uint8_t> bytes) {
    std::vector<uint8_t> answers;
    for (uint8_t b : bytes) answers.push_back(chip.Exchange(b).value_or(0xEE));
    return answers;
  }
  void Reset() {
    chip.SetRts(false);
    chip.SetRts(true);
  }
  void Enable() {
    Reset();
    Send({0xAC, 0x53, 0x00, 0x69});
  }
  void WritePage(uint8_t page, uint8_t value) {
    chip.Exchange(0x50), chip.Exchange(page);
    for (int i = 0; i < 256; ++i) chip.Exchange(value);
  }
  uint8_t ReadFirstOfPage(uint8_t page) {
    chip.Exchange(0x30), chip.Exchange(page);
    uint8_t first = *chip.Exchange(0);
    for (int i = 1; i < 256; ++i) chip.Exchange(0);
    return first;
  }
};

TEST(SimChipEnable, NeedsAResetPulseAndEchoes69) {
  Chip c;
  c.chip.SetRts(true);
  EXPECT_EQ(c.Send({0xAC, 0x53, 0x00, 0x69}), (std::vector<uint8_t>{0, 0, 0, 0}))
      << "RTS set without being cleared first is no reset pulse";
  c.Reset();
  EXPECT_EQ(c.Send({0xAC, 0x53, 0x00, 0x69}), (std::vector<uint8_t>{0, 0, 0, 0x69}));
  EXPECT_TRUE(c.chip.InProgrammingMode());
  c.chip.SetRts(false);
  EXPECT_FALSE(c.chip.InProgrammingMode());
  EXPECT_EQ(c.Send({0x28}), std::vector<uint8_t>{0xFF}) << "reset low: the line floats high";
}

TEST(SimChipSignature, BothModelsAtTheirThreeAddresses) {
  for (auto [model, middle] :
       {std::pair{SimChip::Model::AT89S51, 0x51}, std::pair{SimChip::Model::AT89S52, 0x52}}) {
    Chip c(model);
    c.Enable();
    std::vector<uint8_t> signature;
    for (uint8_t address : {0, 1, 2}) signature.push_back(c.Send({0x28, address, 0, 0})[3]);
    EXPECT_EQ(signature, (std::vector<uint8_t>{0x1E, static_cast<uint8_t>(middle), 0x06}))
        << middle;
  }
}

// An erase keeps the chip busy for half a second: a byte sooner is not taken.
TEST(SimChipFlash, ProgrammingOnlyClearsBitsUntilAnEraseOfHalfASecond) {
  Chip c;
  c.Enable();
  c.WritePage(3, 0xF0);
  c.WritePage(3, 0x3C);
  EXPECT_EQ(c.ReadFirstOfPage(3), 0x30);
  c.Send({0xAC, 0x80, 0x00, 0xAC});
  c.clock.Advance(std::chrono::milliseconds(499));
  EXPECT_EQ(c.Send({0x28}), std::vector<uint8_t>{0xFF});
  c.clock.Advance(std::chrono::milliseconds(1));
  EXPECT_EQ(c.Send({0x28, 0x00, 0x00, 0x00})[3], 0x1E);
  EXPECT_EQ(c.ReadFirstOfPage(3), 0xFF);
}

TEST(SimChipFlash, TheAT89S51MirrorsItsLower4KB) {
  Chip c(SimChip::Model::AT89S51);
  std::vector<uint8_t> flash(8192, 0xFF);
  flash[5] = 0x12;
  c.chip.SetFlash(flash);
  EXPECT_EQ(c.chip.Flash()[4096 + 5], 0x12);
}

TEST(SimChipLock, BitsAccumulateAndBlockWritingThenReading) {
  Chip c;
  c.Enable();
  c.Send({0xAC, 0xE1, 0x00, 0x00});  // LB1
  EXPECT_EQ(c.Send({0x24, 0x00, 0x00, 0x00}), (std::vector<uint8_t>{0, 0, 0, 0x04}))
      << "only the fourth answer carries the lock bits";
  c.WritePage(0, 0x00);
  EXPECT_EQ(c.ReadFirstOfPage(0), 0xFF) << "LB1 disables programming";
  c.Send({0xAC, 0xE2, 0x00, 0x00});  // LB2
  EXPECT_EQ(c.chip.LockBits(), SimChip::kLB1 | SimChip::kLB2);
  c.Send({0xAC, 0xE0, 0x00, 0x00});
  EXPECT_EQ(c.chip.LockBits(), SimChip::kLB1 | SimChip::kLB2) << "E0 programs nothing";
  c.Send({0xAC, 0xE3, 0x00, 0x00});  // LB3
  EXPECT_EQ(c.Send({0x24, 0x00, 0x00, 0x00}).back(), 0x1C);
}

TEST(SimChipLink, GoesSilentAfterNBytesAndRecordsEverything) {
  Chip c;
  c.chip.SetSilenceAfter(2);
  c.chip.SetRts(true);
  EXPECT_TRUE(c.chip.Exchange(1).has_value());
  c.clock.Advance(std::chrono::milliseconds(7));
  EXPECT_TRUE(c.chip.Exchange(2).has_value());
  EXPECT_FALSE(c.chip.Exchange(3).has_value());
  auto events = c.chip.Events();
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].kind, SimEvent::Kind::Rts);
  EXPECT_EQ(events[2].time - events[1].time, std::chrono::milliseconds(7));
  EXPECT_FALSE(events[3].answered);
}

TEST(SimChipLink, WithoutRtsAnIdleGapStartsANewOperation) {
  Chip c;
  c.chip.SetIdleGapReset(std::chrono::milliseconds(500));
  EXPECT_EQ(c.Send({0xAC, 0x53, 0x00, 0x69}).back(), 0x69);
  c.Send({0x24, 0x00, 0x00});  // three of four bytes, as the lock-bit read leaves it
  c.clock.Advance(std::chrono::milliseconds(1200));
  EXPECT_EQ(c.Send({0xAC, 0x53, 0x00, 0x69}).back(), 0x69);
}

TEST(PortResolverNames, EnvironmentSimNamesAndSystemPorts) {
  VirtualClock clock;
  SimPortResolver resolver(clock);
  unsetenv("ISP89_COM7");
#ifdef _WIN32
  EXPECT_EQ(resolver.Resolve("COM7"), "\\\\.\\COM7");
#else
  EXPECT_EQ(resolver.Resolve("COM7"), "/dev/ttyS6");
#endif
  setenv("ISP89_COM7", "/dev/ttyUSB0", 1);
  EXPECT_EQ(resolver.Resolve("COM7"), "/dev/ttyUSB0");
  setenv("ISP89_COM7", "sim", 1);
  EXPECT_EQ(resolver.Resolve("COM7"), "sim:AT89S51");
  setenv("ISP89_COM7", "sim:at89s52", 1);
  EXPECT_EQ(resolver.Describe("COM7"), "simulated AT89S52 (sim:AT89S52)");
  unsetenv("ISP89_COM7");
  EXPECT_EQ(resolver.Resolve("/dev/ttyACM0"), "/dev/ttyACM0");
}

TEST(PortResolverNames, ASimulatedChipOutlivesItsOpenings) {
  VirtualClock clock;
  SimPortResolver resolver(clock);
  PortOpenFailure failure;
  {
    auto port = resolver.Open("sim:AT89S52", failure);
    ASSERT_TRUE(port);
    port->SetRts(false), port->SetRts(true);
  }
  EXPECT_EQ(resolver.SimChipFor("sim:AT89S52")->Events().size(), 2u);
  EXPECT_NE(resolver.SimChipFor("sim:AT89S52"), resolver.SimChipFor("sim"));
}

}  // namespace

// The instruction sequences on the wire, their waits, the answers used and the notifications,
// against the simulated chip on virtual time.

#include <gtest/gtest.h>

#include "device/AT89S51.h"
#include "device/DeviceBench.h"

namespace {

using Kind = ProcessListener::Kind;

std::string Hex(unsigned value) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", value & 0xFF);
  return text;
}

TEST(DeviceCommands, ReadSignatureSendsThreeReadsAfterEnableAndPacksTheWord) {
  DeviceBench bench;
  EXPECT_EQ(bench.device.ReadSignature(), 0x06521E);
  EXPECT_EQ(bench.Wire(), EnableOnWire() + " 28 00 00 00 28 01 00 00 28 02 00 00");
  EXPECT_EQ(bench.clock.Sleeps(), (std::vector<uint32_t>{600, 600, 600}));
  ASSERT_EQ(bench.listener.notes.size(), 1u);
  EXPECT_EQ(bench.listener.notes[0].value, 100);
  EXPECT_EQ(bench.listener.notes[0].kind, Kind::NOTIFY_PROGRESS);
  EXPECT_FALSE(bench.listener.notes[0].linkOpen) << "the progress comes after the link closed";
  EXPECT_FALSE(bench.serial.IsOpen());
}

TEST(DeviceCommands, ReadSignatureOfAnAT89S51) {
  VirtualClock clock;
  auto chip = std::make_shared<SimChip>(SimChip::Model::AT89S51, clock);
  SimOpener opener(chip, clock);
  TSerial serial(1, opener);
  AT89S51 device(&serial, clock);
  RecordingListener listener(serial);
  device.SetListener(&listener);
  EXPECT_EQ(device.ReadSignature(), 0x06511E);
}

TEST(DeviceCommands, ReadLockBitsSendsFourBytesAndUsesTheFourth) {
  DeviceBench bench;
  bench.chip->SetLockBits(SimChip::kLB1 | SimChip::kLB3);
  EXPECT_EQ(bench.device.ReadLockBits(), 0x05);
  EXPECT_EQ(bench.Wire(), EnableOnWire() + " 24 00 00 00");
  EXPECT_TRUE(bench.listener.notes.empty());
  EXPECT_FALSE(bench.serial.IsOpen());
}

// One Write Lock Bits instruction for each bit asked for, LB1 first, each with seven 2 ms
// waits and none after its last read; with no bit, AC E0 00 00, which programs nothing.
TEST(DeviceCommands, WriteLockBitsSendsOneInstructionPerBitInOrder) {
  const struct {
    unsigned char mode;
    std::vector<std::string> instructions;
    uint8_t lockBits;
  } cases[] = {{0, {"E0"}, 0},       {1, {"E1"}, 1}, {2, {"E2"}, 2},
               {3, {"E1", "E2"}, 3}, {4, {"E3"}, 4}, {7, {"E1", "E2", "E3"}, 7},
               {0xF8, {"E0"}, 0}};
  for (const auto& c : cases) {
    DeviceBench bench;
    bench.device.WriteLockBits(c.mode);
    std::string expected = EnableOnWire();
    std::vector<uint32_t> sleeps = {600, 600, 600};
    for (size_t i = 0; i < c.instructions.size(); ++i) {
      expected += std::string(i ? " @2 " : " ") + "AC @4 " + c.instructions[i] + " @4 00 @4 00";
      sleeps.insert(sleeps.end(), 7, 2);
    }
    EXPECT_EQ(bench.Wire(), expected) << "mode " << int(c.mode);
    EXPECT_EQ(bench.clock.Sleeps(), sleeps) << "mode " << int(c.mode);
    EXPECT_EQ(bench.chip->LockBits(), c.lockBits) << "mode " << int(c.mode);
    EXPECT_FALSE(bench.serial.IsOpen());
  }
}

TEST(DeviceCommands, LockBitsWrittenAreReadBackCumulatively) {
  DeviceBench bench;
  bench.device.WriteLockBits(1);
  EXPECT_EQ(bench.device.ReadLockBits(), 0x01);
  bench.device.WriteLockBits(2);
  EXPECT_EQ(bench.device.ReadLockBits(), 0x03) << "a lock bit stays programmed until an erase";
  bench.device.WriteLockBits(4);
  EXPECT_EQ(bench.device.ReadLockBits(), 0x07);
  bench.device.Erase();
  EXPECT_EQ(bench.device.ReadLockBits(), 0x00);
}

TEST(DeviceCommands, OperationOnAnOpenLinkLeavesItClosed) {
  DeviceBench bench;
  bench.serial.Open();
  bench.device.ReadLockBits();
  EXPECT_FALSE(bench.serial.IsOpen());
  EXPECT_EQ(bench.opener.openedNames.size(), 1u) << "the operation used the open link";
}

TEST(DeviceCommands, ConstructionSendsNothingAndSizesTheReadImage) {
  DeviceBench bench;
  EXPECT_TRUE(bench.chip->Events().empty());
  EXPECT_EQ(bench.device.GetMemorySize(), 8192u);
  EXPECT_EQ(bench.device.PageCount(), 32u);
  EXPECT_EQ(bench.device.GetReadImage()->Size(), 8192u);
}

std::string ExpectedReadStream(const std::vector<uint8_t>& flash) {
  std::string text = EnableOnWire();
  for (unsigned page = 0; page < 32; ++page) {
    text += " 30 " + Hex(page) + " 00";
    for (unsigned j = 0; j + 1 < 256; ++j) text += " " + Hex(flash[page * 256 + j]);
  }
  return text;
}

std::vector<int> ExpectedProgress() {
  std::vector<int> values;
  for (int page = 0; page < 32; ++page) values.push_back(static_cast<int>(page * 3.125f));
  return values;
}

std::vector<uint8_t> PatternImage() {
  std::vector<uint8_t> bytes(8192);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
  bytes[10] = 0x0A, bytes[11] = 0x0D, bytes[12] = 0x1A, bytes[8191] = 0x1A;
  return bytes;
}

TEST(WholeMemory, ReadClocksEachByteWithThePreviousAnswer) {
  DeviceBench bench;
  bench.chip->SetFlash(PatternImage());
  bench.device.ReadMemory();
  EXPECT_EQ(bench.Wire(), ExpectedReadStream(PatternImage()));
  EXPECT_EQ(bench.chip->WrittenBytes().size(), 8260u);
  const Buffer& image = *bench.device.GetReadImage();
  EXPECT_EQ(std::vector<uint8_t>(image.Data(), image.Data() + 8192), PatternImage());
}

TEST(WholeMemory, WriteErasesThenSendsEveryPageWithMillisecondWaits) {
  DeviceBench bench;
  Buffer image(8192);
  auto pattern = PatternImage();
  std::copy(pattern.begin(), pattern.end(), image.Data());
  bench.device.WriteMemory(image);

  // 1 ms before and after each data byte: 2 ms between two bytes of a page.
  // The 600 ms after Programming Enable and the 1000 ms before Chip Erase add up.
  std::string expected = "rts+ rts- @600 rts+ @600 AC 53 00 69 @1600 AC 80 00 AC @1000";
  for (unsigned page = 0; page < 32; ++page) {
    expected += (page ? " @1 50 " : " 50 ") + Hex(page);
    for (unsigned j = 0; j < 256; ++j)
      expected += (j ? " @2 " : " @1 ") + Hex(pattern[page * 256 + j]);
  }
  EXPECT_EQ(bench.Wire(), expected);
  EXPECT_EQ(bench.chip->WrittenBytes().size(), 8264u);
  EXPECT_EQ(bench.chip->Flash(), pattern);
  auto sleeps = bench.clock.Sleeps();
  ASSERT_EQ(sleeps.size(), 3u + 2u + 2u * 8192u);
  EXPECT_EQ(std::vector<uint32_t>(sleeps.begin(), sleeps.begin() + 5),
            (std::vector<uint32_t>{600, 600, 600, 1000, 1000}));
}

TEST(WholeMemory, ProgressAndCompletionInOrderRelativeToTheLinkClose) {
  for (bool writing : {false, true}) {
    DeviceBench bench;
    Buffer image(8192);
    writing ? bench.device.WriteMemory(image) : bench.device.ReadMemory();
    const auto& notes = bench.listener.notes;
    ASSERT_EQ(notes.size(), 33u);
    std::vector<int> progress;
    for (size_t i = 0; i < 32; ++i) {
      EXPECT_EQ(notes[i].kind, Kind::NOTIFY_PROGRESS);
      EXPECT_TRUE(notes[i].linkOpen);
      progress.push_back(notes[i].value);
    }
    EXPECT_EQ(progress, ExpectedProgress());
    EXPECT_EQ(notes[32].value, 100);
    EXPECT_EQ(notes[32].kind, Kind::NOTIFY_FINISHED);
    // A read reports completion before it closes the link, a write after.
    EXPECT_EQ(notes[32].linkOpen, !writing);
    EXPECT_FALSE(bench.serial.IsOpen());
  }
}

TEST(WholeMemory, WriteErasesBeforeProgramming) {
  DeviceBench bench;
  bench.chip->SetFlash(std::vector<uint8_t>(8192, 0x0F));
  Buffer image(8192);
  image[0] = 0x3C;
  bench.device.WriteMemory(image);
  EXPECT_EQ(bench.chip->Flash()[0], 0x3C) << "the write erases first";
  EXPECT_EQ(bench.chip->Flash()[1], 0xFF);
}

}  // namespace

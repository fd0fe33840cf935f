// Every command through isp89-sim at the real line's speed (--pace: 2.083 ms a byte each way,
// the adapter's buffer, answers arriving after their bytes), checked on the chip it leaves.
// The AT89S51's 4 KB keep the whole-memory commands short.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "SimProcess.h"

namespace {

using ::testing::_;
using ::testing::AllOf;
using ::testing::HasSubstr;

// 4 KB of a pattern, and the 8 KB a read of an AT89S51 gives: the lower half mirrored.
std::vector<uint8_t> Flash4k() {
  std::vector<uint8_t> bytes(4096);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 11 + (i >> 8));
  return bytes;
}

std::vector<uint8_t> Mirrored(std::vector<uint8_t> lower) {
  lower.insert(lower.end(), lower.begin(), lower.end());
  return lower;
}

// One page of program at `page`, the rest erased.
std::vector<uint8_t> OnePage(uint8_t page, uint8_t seed) {
  std::vector<uint8_t> bytes(8192, 0xFF);
  for (int i = 0; i < 256; ++i) bytes[page * 256 + i] = static_cast<uint8_t>(seed + i);
  return bytes;
}

TEST(LineSpeed, SignatureLockBitsAndErase) {
  ScratchFolder folder;
  ScratchFolder::Write("flash.bin", Flash4k());
  SimProcess sim({"--pace", "--chip", "AT89S51", "--flash", "flash.bin", "--keep", "kept.hex"});
  const std::string p = "-p " + sim.Port() + " ";
  ExpectCli(p + "signature", 0, "signature 1E 51 06: AT89S51\n", _);
  ExpectCli(p + "lock", 0, "LB1=0 LB2=0 LB3=0\n", _);
  ExpectCli(p + "lock --write 3", 0, "LB1=1 LB2=1 LB3=0\n", _);
  ExpectCli(p + "lock", 0, "LB1=1 LB2=1 LB3=0\n", _);
  ExpectCli(p + "erase", 0, "erased the AT89S51 (blank check passed)\n", _);
  ExpectCli(p + "lock", 0, "LB1=0 LB2=0 LB3=0\n", _);
  EXPECT_EQ(0, sim.Stop());
  EXPECT_EQ(std::vector<uint8_t>(8192, 0xFF), FlashOfHex(ReadText("kept.hex")));
}

TEST(LineSpeed, ReadsInBothFormats) {
  ScratchFolder folder;
  ScratchFolder::Write("flash.bin", Flash4k());
  SimProcess sim({"--pace", "--chip", "AT89S51", "--flash", "flash.bin"});
  for (const char* file : {"out.bin", "out.hex"})
    ExpectCli("-q -p " + sim.Port() + " read " + file, 0, _, _);
  EXPECT_EQ(Mirrored(Flash4k()), ScratchFolder::Read("out.bin"));
  EXPECT_EQ(Mirrored(Flash4k()), FlashOfHex(ReadText("out.hex")));
  EXPECT_EQ(0, sim.Stop());
}

// Each write erases, writes and reads back in one session, and the next starts right after.
TEST(LineSpeed, WriteWithVerifyTenTimesInARowThenVerify) {
  ScratchFolder folder;
  ScratchFolder::Write("a.bin", OnePage(0x00, 0x10));
  ScratchFolder::Write("b.bin", OnePage(0x0F, 0x80));
  SimProcess sim({"--pace", "--chip", "AT89S51", "--keep", "kept.hex"});
  for (int round = 0; round < 10; ++round) {
    const std::string file = round % 2 ? "b.bin" : "a.bin";
    SCOPED_TRACE("round " + std::to_string(round));
    ExpectCli("-p " + sim.Port() + " write " + file, 0,
              "wrote " + file + " to the AT89S51: 1 page written, 1 page verified\n", _);
  }
  ExpectCli("-q -p " + sim.Port() + " verify b.bin", 0, _, _);
  EXPECT_EQ(0, sim.Stop());
  std::vector<uint8_t> b = OnePage(0x0F, 0x80);
  EXPECT_EQ(Mirrored(std::vector<uint8_t>(b.begin(), b.begin() + 4096)),
            FlashOfHex(ReadText("kept.hex")));
}

// A loopback plug answers every byte with itself, 69 included: no command may take that
// for a chip, and no file of it is saved.
TEST(LineSpeed, ALineThatEchoesFailsEveryCommandAndSavesNothing) {
  ScratchFolder folder;
  SimProcess sim({"--pace", "--echo"});
  for (const std::string command : {"signature", "lock", "read out.bin"}) {
    ExpectCli("-p " + sim.Port() + " " + command, 1, _, HasSubstr("the line echoes every byte"));
  }
  EXPECT_FALSE(std::filesystem::exists("out.bin"));
  EXPECT_EQ(0, sim.Stop());
}

// A USB-serial adapter's 16 ms latency timer holds every answer back: the read still
// succeeds, and the user learns how to lower the latency.
TEST(LineSpeed, AUsbLatencyTimerSlowsAWholeReadAndIsExplained) {
  ScratchFolder folder;
  ScratchFolder::Write("flash.bin", Flash4k());
  SimProcess sim({"--pace", "--latency", "16", "--chip", "AT89S51", "--flash", "flash.bin"});
  ExpectCli("-p " + sim.Port() + " read out.bin", 0, _,
            AllOf(HasSubstr("the adapter holds its answers back"), HasSubstr("Latency Timer")));
  EXPECT_EQ(Mirrored(Flash4k()), ScratchFolder::Read("out.bin"));
  EXPECT_EQ(0, sim.Stop());
}

}  // namespace

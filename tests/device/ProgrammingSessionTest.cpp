// One programming session running several instructions: its bytes on the wire, and answers
// matched to their bytes when bytes go out ahead of them, on lines that keep real time.

#include "device/ProgrammingSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "device/DeviceBench.h"
#include "platform/Exception.h"

namespace {

using ::testing::HasSubstr;

std::string Repeat(const std::string& bytes, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += " " + bytes;
  return text;
}

// Reset and Programming Enable once; the streamed read sends 30, the page and 256 clocking
// bytes of 00 for each page, whatever the answers are.
TEST(ProgrammingSessionWire, OneEnableThenEachInstructionInTurn) {
  DeviceBench bench;
  bench.chip->SetFlash(Pattern());
  std::vector<uint8_t> pages(2 * 256);
  {
    ProgrammingSession session(bench.serial, bench.clock);
    EXPECT_EQ(session.ReadSignature(), 0x06521E);
    EXPECT_EQ(session.ReadLockBits(), 0);
    session.ReadPagesStreamed({0x03, 0x1F}, pages.data(), bench.noTrace, nullptr);
  }
  EXPECT_EQ(bench.Wire(), EnableOnWire() + " 28 00 00 00 28 01 00 00 28 02 00 00 24 00 00 00" +
                              " 30 03" + Repeat("00", 256) + " 30 1F" + Repeat("00", 256));
  EXPECT_EQ(PageOf(pages, 0), PageOf(Pattern(), 0x03));
  EXPECT_EQ(PageOf(pages, 1), PageOf(Pattern(), 0x1F));
  EXPECT_FALSE(bench.serial.IsOpen());
}

// Chip Erase and page writes leave answers owed; the read that follows in the same session
// must drop exactly those and take its own, on any line.
TEST(ProgrammingSessionAnswers, AReadAfterWritesTakesItsOwnAnswersInOrder) {
  SimLine::Options paced;
  paced.baudRate = 4800;
  SimLine::Options latency = paced;
  latency.latency = std::chrono::milliseconds(16);
  for (const SimLine::Options& line : {SimLine::Options(), paced, latency}) {
    DeviceBench bench(line);
    const std::vector<uint8_t> flash = Pattern();
    ProgrammingSession session(bench.serial, bench.clock);
    session.ChipErase();
    for (uint8_t page : {0x00, 0x07}) session.WritePage(page, &flash[page * 256], bench.noTrace);
    std::vector<uint8_t> back(3 * 256);
    session.ReadPagesStreamed({0x07, 0x00, 0x08}, back.data(), bench.noTrace, nullptr);
    EXPECT_EQ(PageOf(back, 0), PageOf(flash, 0x07)) << "baud " << line.baudRate;
    EXPECT_EQ(PageOf(back, 1), PageOf(flash, 0x00)) << "baud " << line.baudRate;
    EXPECT_EQ(PageOf(back, 2), std::vector<uint8_t>(256, 0xFF)) << "baud " << line.baudRate;
    EXPECT_EQ(session.ReadSignature(), 0x06521E) << "baud " << line.baudRate;
  }
}

// Four bytes in flight fill the line both ways and fit the smallest adapter buffer.
TEST(ProgrammingSessionAnswers, FourInFlightNeverOverflowTheAdapter) {
  SimLine::Options tiny;
  tiny.baudRate = 4800;
  tiny.adapterBuffer = 1;
  DeviceBench bench(tiny);
  bench.chip->SetFlash(Pattern());
  std::vector<uint8_t> pages;
  for (uint8_t page = 0; page < 32; ++page) pages.push_back(page);
  std::vector<uint8_t> back(8192);
  ProgrammingSession session(bench.serial, bench.clock);
  const auto start = bench.clock.Now();
  session.ReadPagesStreamed(pages, back.data(), bench.noTrace, nullptr);
  const double seconds = std::chrono::duration<double>(bench.clock.Now() - start).count();
  EXPECT_EQ(back, Pattern());
  EXPECT_EQ(bench.opener.Line().LostBytes(), 0u);
  EXPECT_LT(seconds, 32 * 258 * 10 / 4800.0 * 1.01) << "the line was not kept full";
}

// A USB adapter hands answers over in bursts (16 ms latency timer); a host late to poll it,
// or a busy machine, makes one burst late by more than the link's 100 ms read time-out, as in
// the flake at the start of a write's read-back. A late burst is waited for; only a silence
// longer than half a second fails the read. A lost answer is a missing answer, never the next
// byte's taken in its place: the adapter goes silent, or its buffer overflows because its SPI
// transfer lags behind the line.
TEST(ProgrammingSessionAnswers, ALateBurstIsWaitedForAndALostOrLongSilentAnswerFails) {
  SimLine::Options usb, slowAdapter;
  usb.latency = std::chrono::milliseconds(16);
  slowAdapter.baudRate = 4800;
  slowAdapter.adapterBuffer = 2;
  slowAdapter.spiTransfer = std::chrono::milliseconds(5);
  const std::string silence =
      "COM1: the programmer did not answer (no byte for half a second); check that the adapter "
      "is on this port and powered";
  const struct {
    const char* name;
    SimLine::Options line;
    int stallMs;
    bool silent, lost;
    std::string failure;
  } cases[] = {
      {"late by 150 ms", usb, 150, false, false, "no failure"},
      {"late by 450 ms", usb, 450, false, false, "no failure"},
      {"silent for 520 ms", usb, 520, false, false, silence},
      {"adapter silent", {}, 0, true, false, silence},
      {"adapter overflows", slowAdapter, 0, false, true, silence},
  };
  for (const auto& c : cases) {
    DeviceBench bench(c.line);
    bench.chip->SetFlash(Pattern());
    // Enable, the page written, and the next page's instruction and 100 of its bytes.
    if (c.silent) bench.chip->SetSilenceAfter(4 + 258 + 2 + 100);
    std::vector<uint8_t> back(2 * 256);
    EXPECT_EQ(FailureOf([&] {
                ProgrammingSession session(bench.serial, bench.clock);
                session.WritePage(0x00, &Pattern()[0], bench.noTrace);
                bench.opener.Line().Stall(bench.clock.Now(), std::chrono::milliseconds(c.stallMs));
                session.ReadPagesStreamed({0x01, 0x02}, back.data(), bench.noTrace, nullptr);
              }),
              c.failure)
        << c.name;
    EXPECT_FALSE(bench.serial.IsOpen()) << c.name;
    EXPECT_EQ(bench.opener.Line().LostBytes() > 0, c.lost) << c.name;
    if (c.failure == "no failure") {
      EXPECT_EQ(PageOf(back, 1), PageOf(Pattern(), 0x02)) << c.name;
    }
  }
}

}  // namespace

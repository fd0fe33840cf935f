// The simulated line keeps the real line's time: a byte time each way, both ways at once, the
// adapter's buffer, a USB latency timer, an echoing line.

#include "sim/SimLine.h"

#include <gtest/gtest.h>

#include "platform/VirtualClock.h"

namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;
using Time = SimLine::Time;

struct Answer {
  int byte;
  double ms;
};

struct Outcome {
  std::vector<Answer> answers;  // each with the time it reached the PC
  uint64_t lost = 0;
};

// Writes `bytes` at time 0 and follows the line's events to the end.
Outcome Burst(const SimLine::Options& options, const std::vector<uint8_t>& bytes) {
  VirtualClock clock;
  SimLine line(std::make_shared<SimChip>(SimChip::Model::AT89S52, clock), options);
  for (uint8_t byte : bytes) line.Write(byte, Time{0});
  Outcome outcome;
  while (std::optional<Time> next = line.NextEvent(clock.Now())) {
    clock.SleepUntil(*next);
    while (std::optional<uint8_t> answer = line.Take(clock.Now())) {
      double ms = std::chrono::duration<double, std::milli>(clock.Now()).count();
      outcome.answers.push_back({*answer, ms});
    }
  }
  outcome.lost = line.LostBytes();
  return outcome;
}

SimLine::Options At4800() {
  SimLine::Options options;
  options.baudRate = 4800;
  return options;
}

TEST(SimLineTiming, ByteTimesAdapterCyclesAndLatencyTicks) {
  const double b = 10000.0 / 4800, s = 0.020;  // byte time and SPI transfer, in ms
  SimLine::Options latency = At4800();
  latency.latency = milliseconds(16);
  const struct {
    const char* what;
    SimLine::Options options;
    size_t bytes;
    std::vector<double> arrivals;
  } cases[] = {
      {"a byte there and its answer back", At4800(), 1, {2 * b + s}},
      // Both ways at once: answers follow each other a byte time apart.
      {"a burst", At4800(), 3, {2 * b + s, 3 * b + s, 4 * b + s}},
      {"a USB latency timer", latency, 3, {16, 16, 16}},
      {"no baud rate", SimLine::Options(), 2, {0, 0}},
  };
  for (const auto& c : cases) {
    std::vector<Answer> answers = Burst(c.options, std::vector<uint8_t>(c.bytes, 0x00)).answers;
    ASSERT_EQ(answers.size(), c.arrivals.size()) << c.what;
    for (size_t i = 0; i < answers.size(); ++i) {
      EXPECT_NEAR(answers[i].ms, c.arrivals[i], 0.001) << c.what << ", answer " << i;
    }
  }
}

TEST(SimLineAdapter, AFullBufferLosesBytesAndTheirAnswers) {
  SimLine::Options slow = At4800();
  slow.adapterBuffer = 2;
  slow.spiTransfer = milliseconds(3);  // a target clocked so slowly that SPI lags the line
  Outcome overrun = Burst(slow, std::vector<uint8_t>(20, 0x00));
  EXPECT_GT(overrun.lost, 0u);
  EXPECT_EQ(overrun.answers.size() + overrun.lost, 20u);
  SimLine::Options smallBuffer = At4800();
  smallBuffer.adapterBuffer = 1;
  Outcome keptUp = Burst(smallBuffer, std::vector<uint8_t>(500, 0x00));
  EXPECT_EQ(keptUp.answers.size(), 500u);
  EXPECT_EQ(keptUp.lost, 0u) << "an adapter that keeps up needs no more than one byte of buffer";
}

TEST(SimLineAdapter, AnEchoingLineSendsBackEveryByte) {
  SimLine::Options echo = At4800();
  echo.echo = true;
  std::vector<int> bytes;
  for (const Answer& answer : Burst(echo, {0xAC, 0x53, 0x00, 0x69}).answers) {
    bytes.push_back(answer.byte);
  }
  EXPECT_EQ(bytes, (std::vector<int>{0xAC, 0x53, 0x00, 0x69}));
}

// A byte still on the wire when RTS changes reaches the chip after the change.
TEST(SimLineAdapter, RtsOvertakesTheBytesOnTheWire) {
  VirtualClock clock;
  auto chip = std::make_shared<SimChip>(SimChip::Model::AT89S52, clock);
  SimLine line(chip, At4800());
  line.Write(0x28, Time{0});
  line.SetRts(false, microseconds(100));
  line.Take(milliseconds(10));
  std::vector<SimEvent> events = chip->Events();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].kind, SimEvent::Kind::Rts);
  EXPECT_EQ(events[1].kind, SimEvent::Kind::Byte);
  EXPECT_EQ(events[1].time, Time{2083333});
}

}  // namespace

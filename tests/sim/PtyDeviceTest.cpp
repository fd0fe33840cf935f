// Whole device operations over a pseudo-terminal on the real clock, as a user running the
// program against the simulator sees them. A pseudo-terminal has no RTS: the chip takes the
// 1.2 s pause around the reset pulse as the pulse. Each operation lasts about 2 s.
#include <mutex>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "device/AT89S52.h"
#include "platform/Exception.h"
#include "support/PtyLink.h"

namespace {

PtySimServer::Options Paced() {
  PtySimServer::Options options;
  options.paceAtLineSpeed = true;
  return options;
}

class RecordingListener : public ProcessListener {
 public:
  void Notify(int value, int kind) override {
    std::lock_guard<std::mutex> lock(mutex_);
    notes_.emplace_back(value, kind);
  }
  std::vector<std::pair<int, int>> Notes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return notes_;
  }

 private:
  std::mutex mutex_;  // guards notes_
  std::vector<std::pair<int, int>> notes_;
};

class PtyDeviceTest : public testing::Test {
 protected:
  explicit PtyDeviceTest(PtySimServer::Options options = PtySimServer::Options())
      : link_(4, options), device_(&link_.Serial(), SystemClock::Instance()) {
    device_.SetListener(&listener_);
    device_.SetTraceFiles(false);
  }

  ChipOutcome Run(ChipRequest::Operation operation) {
    ChipOutcome outcome;
    device_.Run(ChipRequest(operation), outcome);
    return outcome;
  }

  PtyLink link_;
  RecordingListener listener_;
  AT89S52 device_;
};

class PacedPtyDeviceTest : public PtyDeviceTest {
 protected:
  PacedPtyDeviceTest() : PtyDeviceTest(Paced()) {}
};

TEST_F(PtyDeviceTest, ReadSignatureGives1E5206) {
  EXPECT_EQ(Run(ChipRequest::Operation::Signature).signature, 0x0006521E);
  EXPECT_FALSE(link_.Serial().IsOpen());
  EXPECT_TRUE(listener_.Notes().empty()) << "no pages, no progress";
}

TEST_F(PacedPtyDeviceTest, ReadLockBitsAtTheLineSpeed) {
  link_.Chip().SetLockBits(SimChip::kLB1 | SimChip::kLB2);
  EXPECT_EQ(Run(ChipRequest::Operation::ReadLockBits).lockBits, SimChip::kLB1 | SimChip::kLB2);
  EXPECT_FALSE(link_.Serial().IsOpen());
}

// Programming Enable and two bytes of the first signature read are answered, then nothing.
TEST_F(PtyDeviceTest, ASilentChipMakesTheOperationFailWithinASecond) {
  link_.Chip().SetSilenceAfter(6);
  std::string message;
  try {
    Run(ChipRequest::Operation::Signature);
  } catch (const Exception& e) {
    message = e.Message();
  }
  std::chrono::nanoseconds failedAt = SystemClock::Instance().Now();
  EXPECT_THAT(message, testing::HasSubstr("did not answer"));
  EXPECT_THAT(message, testing::HasSubstr("COM4"));
  EXPECT_FALSE(link_.Serial().IsOpen());

  std::vector<SimEvent> events = link_.Chip().Events();
  auto silent = std::find_if(events.begin(), events.end(), [](const SimEvent& event) {
    return event.kind == SimEvent::Kind::Byte && !event.answered;
  });
  ASSERT_NE(silent, events.end());
  EXPECT_LT(failedAt - silent->time, std::chrono::seconds(1));
  EXPECT_GE(failedAt - silent->time, std::chrono::milliseconds(90));  // one read time-out
}

}  // namespace

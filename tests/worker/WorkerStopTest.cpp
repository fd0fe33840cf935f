#include <gtest/gtest.h>

#include <thread>

#include "device/ChipFailure.h"
#include "worker/WorkerBench.h"

namespace {

class WorkerStop : public ::testing::Test, public WorkerBench {};

// A worker stopped, or only destroyed, before any request ends without touching the device.
TEST_F(WorkerStop, AWorkerThatNeverRanEndsWithoutTouchingTheDevice) {
  for (bool stop : {true, false}) {
    {
      AT89S5xRunnable worker(&device, &log);
      if (stop) worker.Stop();
      EXPECT_EQ(worker.IsRunning(), !stop);
    }
    EXPECT_EQ(log.Count(), 0u) << stop;
    EXPECT_TRUE(chip->Events().empty()) << stop;
  }
}

// Stop() lets the operation in progress end as it would, and serves nothing after it.
TEST_F(WorkerStop, StopDuringAnOperationLetsItFinishAndServesNothingMore) {
  {
    AT89S5xRunnable worker(&device, &log);
    log.HoldAt(5);
    worker.Request(ChipRequest(Operation::Read));
    ASSERT_TRUE(log.WaitUntilHeld());
    worker.Stop();
    EXPECT_FALSE(worker.IsRunning());  // at once, while the read still runs
    worker.Request(ChipRequest(Operation::Signature));
    log.Release();
  }  // returns once the read is over and the thread has ended
  EXPECT_EQ(log.Messages(), ReadMessages());
}

// The device's stop request ends a read at the next page, as a failure of kind Stopped; once
// it is cleared the next read runs whole.
TEST_F(WorkerStop, AStoppedReadEndsAtThePageBoundary) {
  AT89S5xRunnable worker(&device, &log);
  log.HoldAt(5);  // the progress after the third page
  worker.Request(ChipRequest(Operation::Read));
  ASSERT_TRUE(log.WaitUntilHeld());
  device.RequestStop();
  log.Release();
  ASSERT_TRUE(log.WaitForCount(6));
  EXPECT_EQ(log.Messages().back(), Done(Operation::Read, false));
  std::optional<AT89S5xRunnable::Result> result = worker.TakeResult();
  ASSERT_TRUE(result && result->failure);
  try {
    std::rethrow_exception(result->failure);
  } catch (const ChipFailure& failure) {
    EXPECT_EQ(failure.What(), ChipFailure::Kind::Stopped);
  }
  EXPECT_FALSE(result->outcome.image);

  device.ClearStop();
  worker.Request(ChipRequest(Operation::Read));
  ASSERT_TRUE(log.WaitForCount(6 + kReadCount));
  EXPECT_TRUE(worker.TakeResult()->outcome.image);
}

// Each round makes requests and stops at moments that fall at different points of the
// worker's pass; every round must end (a lost Stop would hang the destructor) and every
// request made before the Stop must be answered (a lost wake-up would never answer it).
TEST_F(WorkerStop, NoRequestAndNoStopIsLostUnderARaceOfRequestsAndStops) {
  for (int round = 0; round < 300; ++round) {
    MessageLog roundLog;
    AT89S5xRunnable worker(&device, &roundLog);
    for (int request = 0; request < round % 4; ++request) {
      size_t before = roundLog.Count();
      worker.Request(ChipRequest(Operation::Signature));
      ASSERT_TRUE(roundLog.WaitForCount(before + 1)) << "round " << round;
    }
    if (round % 3 == 0) worker.Request(ChipRequest(Operation::Signature));
    if (round % 5 == 0) std::this_thread::yield();
    worker.Stop();
  }
}

TEST_F(WorkerStop, EveryRequestOfAFastStreamIsAnswered) {
  AT89S5xRunnable worker(&device, &log);
  for (int request = 1; request <= 500; ++request) {
    worker.Request(ChipRequest(Operation::Signature));
    ASSERT_TRUE(log.WaitForCount(static_cast<size_t>(request))) << "request " << request;
  }
  EXPECT_EQ(log.Count(), 500u);
}

}  // namespace

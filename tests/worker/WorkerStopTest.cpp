#include <gtest/gtest.h>

#include <thread>

#include "worker/WorkerBench.h"

namespace {

class WorkerStop : public ::testing::Test, public WorkerBench {};

TEST_F(WorkerStop, StopBeforeAnyRequestEndsWithoutTouchingTheDevice) {
  {
    AT89S5xRunnable worker(&device, &log);
    worker.Stop();
    EXPECT_FALSE(worker.IsRunning());
  }
  EXPECT_EQ(log.Count(), 0u);
  EXPECT_TRUE(chip->Events().empty());
}

TEST_F(WorkerStop, DestroyingAWorkerThatNeverRanReturns) {
  { AT89S5xRunnable worker(&device, &log); }
  EXPECT_EQ(log.Count(), 0u);
  EXPECT_TRUE(chip->Events().empty());
}

TEST_F(WorkerStop, StopDuringAWriteLetsTheWriteFinishWithAllItsMessages) {
  Buffer image = Pattern(4);
  {
    AT89S5xRunnable worker(&device, &log);
    log.HoldAt(5);
    worker.RequestWrite(image);
    ASSERT_TRUE(log.WaitUntilHeld());
    worker.Stop();
    EXPECT_FALSE(worker.IsRunning());  // at once, while the write still runs
    // The pass still makes its remaining checks, so this is served after the write.
    worker.RequestSignature();
    log.Release();
  }  // returns once the pass is over and the thread has ended
  EXPECT_EQ(log.Messages(),
            Joined({TransferMessages(AT89S5xRunnable::REQUEST_WRITE), SignatureMessages()}));
  EXPECT_EQ(chip->Flash(), Bytes(image));
}

// The device's stop flag ends a read between two pages, and the worker reports that as a
// failure: no finish, no image; once the flag is cleared the next read runs whole.
TEST_F(WorkerStop, AStoppedReadEndsAtThePageBoundaryAsAFailure) {
  AT89S5xRunnable worker(&device, &log);
  log.HoldAt(5);  // the progress after the fifth page
  worker.RequestRead();
  ASSERT_TRUE(log.WaitUntilHeld());
  device.RequestStop();
  log.Release();
  ASSERT_TRUE(log.WaitForCount(5 + 2));
  std::vector<Message> messages = log.Messages();
  EXPECT_EQ(std::vector<Message>(messages.begin() + 5, messages.end()),
            FailureMessages(AT89S5xRunnable::REQUEST_READ));
  std::string failure = worker.TakeFailure();
  EXPECT_NE(failure.find("stopped by the user after 5 of 32 pages; nothing was read"),
            std::string::npos)
      << failure;
  EXPECT_EQ(chip->WrittenBytes().size(), 4u + 5 * 258);  // enable, five page reads
  EXPECT_EQ(worker.GetImage(), nullptr);

  device.ClearStop();
  worker.RequestRead();
  ASSERT_TRUE(log.WaitForCount(7 + kTransferCount));
}

// Each round makes requests and stops at moments that fall at different points of the
// worker's pass; every round must end (a lost Stop would hang the destructor) and every
// request made before the Stop must be answered (a lost wake-up would never answer it).
TEST_F(WorkerStop, NoRequestAndNoStopIsLostUnderARaceOfRequestsAndStops) {
  device.SetTraceFiles(false);
  for (int round = 0; round < 300; ++round) {
    MessageLog roundLog;
    AT89S5xRunnable worker(&device, &roundLog);
    for (int request = 0; request < round % 4; ++request) {
      size_t before = roundLog.Count();
      worker.RequestSignature();
      ASSERT_TRUE(roundLog.WaitForCount(before + kSignatureCount)) << "round " << round;
    }
    if (round % 3 == 0) worker.RequestSignature();
    if (round % 5 == 0) std::this_thread::yield();
    worker.Stop();
  }
}

TEST_F(WorkerStop, EveryRequestOfAFastStreamIsAnswered) {
  AT89S5xRunnable worker(&device, &log);
  for (int request = 1; request <= 500; ++request) {
    worker.RequestSignature();
    ASSERT_TRUE(log.WaitForCount(kSignatureCount * static_cast<size_t>(request)))
        << "request " << request;
  }
  EXPECT_EQ(log.Count(), 500 * kSignatureCount);
}

}  // namespace

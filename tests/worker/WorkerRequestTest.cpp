#include <gtest/gtest.h>

#include "worker/WorkerBench.h"

namespace {

class WorkerRequests : public ::testing::Test, public WorkerBench {};

TEST_F(WorkerRequests, FirstReadStartsTheThreadAndPostsTheTransferMessagesInOrder) {
  Buffer content = Pattern(3);
  chip->SetFlash(Bytes(content));
  AT89S5xRunnable worker(&device, &log);
  worker.RequestRead();
  ASSERT_TRUE(log.WaitForCount(kTransferCount));
  worker.Stop();
  EXPECT_EQ(log.Messages(), TransferMessages());
  ASSERT_NE(worker.GetImage(), nullptr);
  EXPECT_EQ(Bytes(*worker.GetImage()), Bytes(content));
}

TEST_F(WorkerRequests, SignatureIsStoredBeforeItsMessageWhichCarriesZero) {
  AT89S5xRunnable worker(&device, &log);
  worker.RequestSignature();
  ASSERT_TRUE(log.WaitForCount(kSignatureCount));
  EXPECT_EQ(log.Messages(), SignatureMessages());
  EXPECT_EQ(worker.GetSignature(), 0x06511E);
}

TEST_F(WorkerRequests, OnePassServesReadThenSignatureWhenBothWait) {
  AT89S5xRunnable worker(&device, &log);
  log.HoldAt(1);  // the worker is inside a first signature read
  worker.RequestSignature();
  ASSERT_TRUE(log.WaitUntilHeld());
  worker.RequestSignature();
  worker.RequestRead();
  log.Release();
  ASSERT_TRUE(log.WaitForCount(2 * kSignatureCount + kTransferCount));
  EXPECT_EQ(log.Messages(), Joined({SignatureMessages(), TransferMessages(), SignatureMessages()}));
}

TEST_F(WorkerRequests, ARequestMadeWhileItsKindRunsIsServedAgain) {
  AT89S5xRunnable worker(&device, &log);
  log.HoldAt(10);
  worker.RequestRead();
  ASSERT_TRUE(log.WaitUntilHeld());
  worker.RequestRead();
  log.Release();
  ASSERT_TRUE(log.WaitForCount(2 * kTransferCount));
  EXPECT_EQ(log.Messages(), Joined({TransferMessages(), TransferMessages()}));
}

TEST_F(WorkerRequests, GetImageFollowsTheLastWriteRequestAndTheLastRead) {
  Buffer onChip = Pattern(1);
  chip->SetFlash(Bytes(onChip));
  AT89S5xRunnable worker(&device, &log);
  EXPECT_EQ(worker.GetImage(), nullptr);

  log.HoldAt(1);
  Buffer toWrite = Pattern(9);
  worker.RequestWrite(toWrite);
  // The write has not run yet, yet the request's image is what a save would write.
  EXPECT_EQ(Bytes(*worker.GetImage()), Bytes(toWrite));
  ASSERT_TRUE(log.WaitUntilHeld());
  toWrite[0] = 0x00;  // the caller's image may change: the worker writes its own copy
  log.Release();
  ASSERT_TRUE(log.WaitForCount(kTransferCount));
  EXPECT_EQ(log.Messages(), TransferMessages(AT89S5xRunnable::REQUEST_WRITE));
  EXPECT_EQ(chip->Flash(), Bytes(Pattern(9)));

  chip->SetFlash(Bytes(onChip));
  worker.RequestRead();
  ASSERT_TRUE(log.WaitForCount(2 * kTransferCount));
  EXPECT_EQ(Bytes(*worker.GetImage()), Bytes(onChip));
}

TEST_F(WorkerRequests, TheReadImageOutlivesTheDeviceItCameFrom) {
  Buffer onChip = Pattern(5);
  chip->SetFlash(Bytes(onChip));
  auto first = std::make_unique<AT89S51>(&serial, clock);
  first->SetTraceFiles(false);
  AT89S5xRunnable worker(first.get(), &log);
  worker.RequestRead();
  ASSERT_TRUE(log.WaitForCount(kTransferCount));
  auto second = std::make_unique<AT89S51>(&serial, clock);
  worker.SetDevice(second.get());
  first.reset();
  EXPECT_EQ(Bytes(*worker.GetImage()), Bytes(onChip));
}

TEST_F(WorkerRequests, SetDeviceMovesLaterOperationsToTheNewDevice) {
  setenv("ISP89_COM2", "sim:AT89S52", 1);
  TSerial otherLink(2, resolver);
  AT89S51 other(&otherLink, clock);
  AT89S5xRunnable worker(&device, &log);
  worker.SetDevice(&other);
  worker.RequestSignature();
  ASSERT_TRUE(log.WaitForCount(kSignatureCount));
  EXPECT_EQ(worker.GetSignature(), 0x06521E);
  EXPECT_TRUE(chip->WrittenBytes().empty());
}

}  // namespace

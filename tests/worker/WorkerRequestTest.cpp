#include <gtest/gtest.h>

#include <limits>

#include "device/ChipFailure.h"
#include "worker/WorkerBench.h"

namespace {

class WorkerRequests : public ::testing::Test, public WorkerBench {};

TEST_F(WorkerRequests, TheFirstRequestStartsTheThreadAndItsResultFollowsItsProgress) {
  chip->SetFlash(Pattern(3));
  AT89S5xRunnable worker(&device, &log);
  worker.Request(ChipRequest(Operation::Read));
  ASSERT_TRUE(log.WaitForCount(kReadCount));
  EXPECT_EQ(log.Messages(), ReadMessages());
  std::optional<AT89S5xRunnable::Result> result = worker.TakeResult();
  ASSERT_TRUE(result && result->outcome.image);
  EXPECT_FALSE(result->failure);
  EXPECT_EQ(Bytes(*result->outcome.image), Pattern(3));
  EXPECT_FALSE(worker.TakeResult()) << "each result is taken once";
}

// Requests made while one runs wait their turn, in the order made, each with its result.
TEST_F(WorkerRequests, RequestsAreServedOneAtATimeInTheOrderMade) {
  AT89S5xRunnable worker(&device, &log);
  log.HoldAt(5);  // inside the read
  worker.Request(ChipRequest(Operation::Read));
  ASSERT_TRUE(log.WaitUntilHeld());
  worker.Request(ChipRequest(Operation::Signature));
  worker.Request(ChipRequest(Operation::ReadLockBits));
  log.Release();
  ASSERT_TRUE(log.WaitForCount(kReadCount + 2));
  EXPECT_EQ(log.Messages(),
            Joined({ReadMessages(), {Done(Operation::Signature), Done(Operation::ReadLockBits)}}));
  EXPECT_EQ(worker.TakeResult()->request.operation, Operation::Read);
  EXPECT_EQ(worker.TakeResult()->outcome.signature, 0x06511E);
  EXPECT_EQ(worker.TakeResult()->outcome.lockBits, 0);
}

// A failure is a result like any other: the worker goes on with the next request.
TEST_F(WorkerRequests, AFailureIsReportedAndTheNextRequestIsServed) {
  chip->SetSilenceAfter(0);
  AT89S5xRunnable worker(&device, &log);
  worker.Request(ChipRequest(Operation::Signature));
  ASSERT_TRUE(log.WaitForCount(1));
  EXPECT_EQ(log.Messages(), std::vector<Message>{Done(Operation::Signature, false)});
  std::optional<AT89S5xRunnable::Result> failed = worker.TakeResult();
  ASSERT_TRUE(failed && failed->failure);
  try {
    std::rethrow_exception(failed->failure);
  } catch (const std::exception& error) {
    EXPECT_NE(std::string(error.what()).find("did not answer"), std::string::npos);
  }

  chip->SetSilenceAfter(std::numeric_limits<uint64_t>::max());
  worker.Request(ChipRequest(Operation::Signature));
  ASSERT_TRUE(log.WaitForCount(2));
  EXPECT_FALSE(worker.TakeResult()->failure);
}

// The device's chip is the one checked: an AT89S52 behind the port fails the AT89S51's write
// before anything is written, and SetDevice moves the next request to the other device.
TEST_F(WorkerRequests, SetDeviceMovesLaterOperationsToTheNewDevice) {
  setenv("ISP89_COM2", "sim:AT89S52", 1);
  TSerial otherLink(2, resolver);
  AT89S51 other(&otherLink, clock);
  AT89S5xRunnable worker(&device, &log);
  worker.SetDevice(&other);
  ChipRequest write(Operation::Write);
  write.image = std::make_shared<const Buffer>(8192);
  worker.Request(write);
  ASSERT_TRUE(log.WaitForCount(1));
  std::optional<AT89S5xRunnable::Result> result = worker.TakeResult();
  ASSERT_TRUE(result && result->failure);
  EXPECT_THROW(std::rethrow_exception(result->failure), ChipFailure);
  EXPECT_EQ(result->outcome.found, ChipCatalog::FindByName("AT89S52"));
  EXPECT_TRUE(chip->WrittenBytes().empty());
}

}  // namespace

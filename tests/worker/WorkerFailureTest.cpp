#include <gtest/gtest.h>

#include <limits>

#include "worker/WorkerBench.h"

namespace {

class WorkerFailure : public ::testing::Test, public WorkerBench {};

TEST_F(WorkerFailure, AFailedReadIsReportedAndTheWorkerServesTheNextRequest) {
  chip->SetSilenceAfter(0);
  AT89S5xRunnable worker(&device, &log);
  worker.RequestRead();
  ASSERT_TRUE(log.WaitForCount(2));
  EXPECT_EQ(log.Messages(), FailureMessages(AT89S5xRunnable::REQUEST_READ));
  std::string failure = worker.TakeFailure();
  EXPECT_NE(failure.find("Reading the code memory failed"), std::string::npos) << failure;
  EXPECT_NE(failure.find("did not answer"), std::string::npos) << failure;
  EXPECT_EQ(worker.TakeFailure(), "");
  EXPECT_EQ(worker.GetImage(), nullptr);

  chip->SetSilenceAfter(std::numeric_limits<uint64_t>::max());
  worker.RequestSignature();
  ASSERT_TRUE(log.WaitForCount(2 + kSignatureCount));
  EXPECT_EQ(log.Messages(),
            Joined({FailureMessages(AT89S5xRunnable::REQUEST_READ), SignatureMessages()}));
}

TEST_F(WorkerFailure, APortThatCannotOpenFailsEachRequestWithTheLinkMessage) {
  setenv("ISP89_COM7", "/nonexistent/isp89-port", 1);
  TSerial missing(7, resolver);
  AT89S51 unreachable(&missing, clock);
  AT89S5xRunnable worker(&unreachable, &log);
  worker.RequestSignature();
  ASSERT_TRUE(log.WaitForCount(2));
  worker.RequestWrite(Pattern(0));
  ASSERT_TRUE(log.WaitForCount(4));
  EXPECT_EQ(log.Messages(), Joined({FailureMessages(AT89S5xRunnable::REQUEST_SIGNATURE),
                                    FailureMessages(AT89S5xRunnable::REQUEST_WRITE)}));
  EXPECT_NE(worker.TakeFailure().find("cannot open COM7"), std::string::npos);
  EXPECT_NE(worker.TakeFailure().find("Writing the code memory failed"), std::string::npos);
}

TEST_F(WorkerFailure, AFailureMidwayKeepsTheImageOfTheLastGoodRead) {
  chip->SetFlash(Bytes(Pattern(2)));
  AT89S5xRunnable worker(&device, &log);
  worker.RequestRead();
  ASSERT_TRUE(log.WaitForCount(kTransferCount));
  chip->SetFlash(Bytes(Pattern(8)));
  chip->SetSilenceAfter(3000);
  worker.RequestRead();
  ASSERT_TRUE(log.WaitForCount(kTransferCount + 11 + 2));
  auto messages = log.Messages();
  EXPECT_EQ(std::vector<Message>(messages.end() - 2, messages.end()),
            FailureMessages(AT89S5xRunnable::REQUEST_READ));
  EXPECT_EQ(Bytes(*worker.GetImage()), Bytes(Pattern(2)));
}

}  // namespace

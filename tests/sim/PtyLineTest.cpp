// A whole write at the line's speed on a pseudo-terminal, followed at once by the next
// operation: the last page's bytes may still be on the wire and answers on their way when the
// write's session ends.
#include <gtest/gtest.h>

#include "device/AT89S52.h"
#include "support/PtyLink.h"

namespace {

TEST(LineSpeed, AWriteIsWholeAndTheNextOperationStartsClean) {
  PtySimServer::Options paced;
  paced.paceAtLineSpeed = true;
  PtyLink link(5, paced);
  AT89S52 device(&link.Serial(), SystemClock::Instance());
  device.SetTraceFiles(false);
  auto image = std::make_shared<Buffer>(8192);
  for (uint32_t i = 0; i < image->Size(); ++i) (*image)[i] = static_cast<uint8_t>(i * 3 + 7);
  ChipRequest write(ChipRequest::Operation::Write);
  write.image = image;
  write.check = ChipRequest::Check::None;
  ChipOutcome outcome;
  device.Run(write, outcome);
  device.Run(ChipRequest(ChipRequest::Operation::Signature), outcome);
  EXPECT_EQ(outcome.signature, 0x06521E);
  EXPECT_EQ(link.Chip().Flash(), std::vector<uint8_t>(image->Data(), image->Data() + 8192));
}

}  // namespace

// The window's whole-memory write at the line's speed on a pseudo-terminal, followed at once
// by the next operation: the last page's bytes are still on the wire and four answers on
// their way when the write closes the port.
#include <gtest/gtest.h>

#include "device/AT89S52.h"
#include "support/PtyLink.h"

namespace {

class QuietListener : public ProcessListener {
 public:
  QuietListener() : ProcessListener(true) {}
  void Notify(int, int) override {}

 protected:
  void Execute() override {}
};

TEST(LineSpeed, TheWindowsWriteIsWholeAndTheNextOperationStartsClean) {
  PtySimServer::Options paced;
  paced.paceAtLineSpeed = true;
  PtyLink link(5, paced);
  AT89S52 device(&link.Serial(), SystemClock::Instance());
  QuietListener listener;
  device.SetListener(&listener);
  device.SetTraceFiles(false);
  Buffer image(8192);
  for (uint32_t i = 0; i < image.Size(); ++i) image[i] = static_cast<uint8_t>(i * 3 + 7);
  device.WriteMemory(image);
  EXPECT_EQ(device.ReadSignature(), 0x06521E);
  EXPECT_EQ(link.Chip().Flash(), std::vector<uint8_t>(image.Data(), image.Data() + 8192));
}

}  // namespace

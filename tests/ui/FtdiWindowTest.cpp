// The window's Write and Read on the simulated FTDI chip, chosen as a port like any other:
// the same operations, another link.
#include "ui/UiBench.h"

namespace {

class FtdiWindow : public UiBench {
 protected:
  FtdiWindow() { setenv("ISP89_COM4", "sim-ftdi:AT89S52", 1); }
  ~FtdiWindow() override { unsetenv("ISP89_COM4"); }
  std::shared_ptr<SimFtdiChip> FtdiChip() {
    return window->Resolver().SimFtdiChipFor("sim-ftdi:AT89S52");
  }
};

TEST_F(FtdiWindow, WriteThenReadOnTheSimulatedFtdiChip) {
  Open();
  Item("ItemAT89S52")->trigger();
  Item("COM4")->trigger();
  const Buffer image = Pattern(21);
  Load("image.bin", image);
  Item("itemVerifyAfterWrite")->trigger();
  ASSERT_TRUE(Run("btnProgram"));
  EXPECT_EQ(FtdiChip()->Target()->Chip()->Flash(), Bytes(image));
  EXPECT_NE(Note().find("32 pages"), std::string::npos) << Note();

  FtdiChip()->Target()->Chip()->SetFlash(Bytes(Pattern(22)));
  Button("btnRead")->click();
  ASSERT_TRUE(Until([&] { return Idle() && Item("itemSave")->isEnabled(); }));
  const std::string saved = SaveAs("read.bin");
  EXPECT_EQ(ScratchFolder::Read(saved), Bytes(Pattern(22)));
  EXPECT_TRUE(FtdiChip()->Target()->Faults().empty());
  EXPECT_EQ(FtdiChip()->CurrentMode(), FtdiDevice::Mode::Serial);
}

}  // namespace

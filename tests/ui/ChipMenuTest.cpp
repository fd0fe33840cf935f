#include "ui/UiBench.h"

namespace {

class ChipMenu : public UiBench {};

// A mismatch names the count, the first differing address and both bytes there; on the
// AT89S51 only its 4 KB count.
TEST_F(ChipMenu, VerifyAndBlankCheckNameTheFirstDifferenceAndTheCount) {
  Open();
  Load("image.bin", Buffer(8192));  // erased
  std::vector<uint8_t> flash(8192, 0xFF);
  flash[0x0123] = 0x00;
  flash[0x0456] = 0x12;
  Chip()->SetFlash(flash);
  for (auto [item, box, note] :
       {std::tuple{"itemVerify",
                   "The verify failed: 2 of 4096 bytes differ; the first at 0123: chip 00, "
                   "image.bin FF",
                   "The verify failed after 1.8 s: 2 bytes differ"},
        std::tuple{"itemBlankCheck",
                   "The blank check failed: 2 of 4096 bytes differ; the first at 0123: chip "
                   "00, erased FF",
                   "The blank check failed after 1.8 s: 2 bytes differ"}}) {
    Item(item)->trigger();
    ASSERT_TRUE(Until([&] { return Idle(); }));
    EXPECT_EQ(dialogs.messages.back(), box);
    EXPECT_EQ(Note(), note);
  }
}

// Off at start. With the AT89S52 chosen but an AT89S51 on the port, the upper half folds
// onto the lower: only the read-back shows it.
TEST_F(ChipMenu, VerifyAfterWriteReadsBackAndCatchesAChipThatDidNotTakeTheImage) {
  Buffer image(8192);
  std::fill_n(image.Data(), 4096, 0x0F);
  std::fill_n(image.Data() + 4096, 4096, 0xF0);  // folded onto 0F: 00
  for (auto [port, box, note] :
       {std::tuple{"COM2", "",
                   "Wrote 8192 bytes to the AT89S52 and verified 8192 bytes in "
                   "22.0 s"},
        std::tuple{"COM1",
                   "The verify after the write failed: 8192 of 8192 bytes differ; the first "
                   "at 0000: chip 00, big.bin 0F",
                   "The verify after the write failed after 22.0 s: 8192 bytes differ"}}) {
    Open();
    EXPECT_FALSE(Item("itemVerifyAfterWrite")->isChecked());
    Item(port)->trigger();
    Item("ItemAT89S52")->trigger();
    Item("itemVerifyAfterWrite")->trigger();
    Load("big.bin", image);
    Button("btnProgram")->click();
    ASSERT_TRUE(Until([&] { return Idle(); })) << port;
    EXPECT_EQ(dialogs.messages.empty() ? "" : dialogs.messages.back(), box);
    EXPECT_EQ(Note(), note);
    dialogs = ScriptedDialogs();
  }
}

}  // namespace

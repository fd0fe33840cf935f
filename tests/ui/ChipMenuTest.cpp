#include "ui/UiBench.h"

namespace {

class ChipMenu : public UiBench {
 protected:
  // Runs the menu item and waits for its end; returns the message box's text, if any.
  std::string Run(const char* item) {
    size_t before = dialogs.messages.size();
    Item(item)->trigger();
    EXPECT_TRUE(Until([&] { return Idle(); })) << item;
    return dialogs.messages.size() > before ? dialogs.messages.back() : std::string();
  }
};

TEST_F(ChipMenu, ItemsStartEnabledAndVerifyAfterWriteUnchecked) {
  Open();
  EXPECT_EQ(Find<QMenu>("itemChip")->title().toStdString(), "&chip");
  for (const char* name : {"itemVerify", "itemErase", "itemBlankCheck", "itemVerifyAfterWrite"}) {
    EXPECT_TRUE(Item(name)->isEnabled()) << name;
  }
  EXPECT_TRUE(Item("itemVerifyAfterWrite")->isCheckable());
  EXPECT_FALSE(Item("itemVerifyAfterWrite")->isChecked());
}

// A mismatch names the count, the first differing address and both bytes there.
TEST_F(ChipMenu, VerifyAndBlankCheckNameTheFirstDifferenceAndTheCount) {
  Open();
  Load("image.bin", Buffer(8192));  // erased
  std::vector<uint8_t> flash(8192, 0xFF);
  flash[0x0123] = 0x00;
  flash[0x0456] = 0x12;
  flash[0x1234] = 0x34;  // beyond the AT89S51's 4 KB: its chip mirrors 0234 there
  Chip()->SetFlash(flash);
  struct Case {
    const char* item;
    const char* box;
    const char* note;
  };
  for (const Case& c : {
           Case{"itemVerify",
                "The verify failed: 2 of 4096 bytes differ; the first at 0123: chip 00, "
                "image.bin FF",
                "The verify failed after 1.8 s: 2 bytes differ"},
           Case{"itemBlankCheck",
                "The blank check failed: 2 of 4096 bytes differ; the first at 0123: chip 00, "
                "erased FF",
                "The blank check failed after 1.8 s: 2 bytes differ"},
       }) {
    EXPECT_EQ(Run(c.item), c.box);
    EXPECT_EQ(Note(), c.note);
    EXPECT_EQ(RequestControlsEnabled(), All(true));
  }
}

TEST_F(ChipMenu, EraseLeavesTheChipBlankAndVerifyWithoutAnImageStartsNothing) {
  Open();
  Chip()->SetFlash(Bytes(Pattern(6)));
  Chip()->SetLockBits(SimChip::kLB1 | SimChip::kLB2);
  EXPECT_EQ(Run("itemErase"), "");
  EXPECT_EQ(Chip()->Flash(), std::vector<uint8_t>(8192, 0xFF));
  EXPECT_EQ(Chip()->LockBits(), 0);

  Chip()->ClearEvents();
  Item("itemVerify")->trigger();
  EXPECT_TRUE(Idle());
  EXPECT_EQ(Note(), "No image to verify against: open one first (file, open)");
  EXPECT_TRUE(Chip()->Events().empty());
}

// With the AT89S52 chosen but an AT89S51 on the port, the upper half folds onto the lower:
// only a read-back shows it.
TEST_F(ChipMenu, VerifyAfterWriteReadsBackAndCatchesAChipThatDidNotTakeTheImage) {
  struct Case {
    const char* port;
    const char* box;
    const char* note;
  };
  Buffer image(8192);
  for (uint32_t a = 0; a < 8192; ++a) image[a] = a < 4096 ? 0x0F : 0xF0;  // folded: 00
  for (const Case& c :
       {Case{"COM2", "", "Wrote 8192 bytes to the AT89S52 and verified 8192 bytes in 22.0 s"},
        Case{"COM1",
             "The verify after the write failed: 8192 of 8192 bytes differ; the first at 0000: "
             "chip 00, big.bin 0F",
             "The verify after the write failed after 22.0 s: 8192 bytes differ"}}) {
    Open();
    Item(c.port)->trigger();
    Item("ItemAT89S52")->trigger();
    Item("itemVerifyAfterWrite")->trigger();
    Load("big.bin", image);
    Button("btnProgram")->click();
    ASSERT_TRUE(Until([&] { return Idle(); })) << c.port;
    EXPECT_EQ(dialogs.messages.empty() ? "" : dialogs.messages.back(), c.box);
    EXPECT_EQ(Note(), c.note);
    dialogs = ScriptedDialogs();
  }
}

}  // namespace

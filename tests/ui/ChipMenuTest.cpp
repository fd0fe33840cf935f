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
    ASSERT_TRUE(Run(item));
    EXPECT_EQ(dialogs.messages.back(), box);
    EXPECT_EQ(Note(), note);
  }
}

// The signature names another chip than the chosen device: nothing is done unless the user
// agrees to switch the device, and then the operation goes on with it.
TEST_F(ChipMenu, AnotherChipOnThePortIsOfferedAsTheDeviceBeforeAnythingIsWritten) {
  Buffer image(8192);
  std::fill_n(image.Data(), 1024, 0x0F);
  for (bool agree : {false, true}) {
    Open();
    Item("ItemAT89S52")->trigger();  // an AT89S51 is on COM1
    Item("itemVerifyAfterWrite")->trigger();
    Load("small.bin", image);
    Chip()->ClearEvents();
    dialogs.WillAnswer(agree);
    ASSERT_TRUE(Run("btnProgram")) << agree;
    ASSERT_EQ(dialogs.questions.size(), 1u) << agree;
    EXPECT_EQ(dialogs.questions[0],
              "The chip answers the signature 1E 51 06: it is an AT89S51, not the AT89S52 chosen "
              "in the device menu. Nothing was done to it.\n\nSwitch the device to the AT89S51 "
              "and go on with the write?");
    EXPECT_EQ(Item("ItemAT89S51")->isChecked(), agree);
    EXPECT_EQ(Chip()->Flash()[0], agree ? 0x0F : 0xFF) << agree;
    EXPECT_EQ(Note(), agree ? "Wrote small.bin to the AT89S51: 4 pages written, 4 pages verified "
                              "in 5.8 s"
                            : "The write was not started: the chip is an AT89S51, not the AT89S52");
    EXPECT_TRUE(dialogs.messages.empty()) << agree;
  }
}

// A chip whose read-out protection is on reads back as FF: a read of it is no copy, a
// verify and a blank check would compare FFs. Each is refused, and no image is kept.
TEST_F(ChipMenu, AReadProtectedChipIsNeitherReadNorCheckedAgainstFF) {
  const std::string protection =
      "The AT89S51's read-out protection is on (lock bit 2 programmed): it reads back as FF, ";
  const std::string clears = ". Only an erase (chip / Erase) clears it, together with the flash.";
  for (auto [control, box] :
       {std::pair{"btnRead", "The read failed:\n" + protection +
                                 "so a read is no copy of its flash, and nothing was kept" +
                                 clears},
        std::pair{"itemVerify", "The verify failed:\n" + protection +
                                    "so its flash cannot be compared with an image" + clears},
        std::pair{"itemBlankCheck", "The blank check failed:\n" + protection +
                                        "so it would pass a blank check whatever it holds" +
                                        clears}}) {
    Open();
    Load("image.bin", Buffer(8192));  // erased, as the protected chip reads back
    Chip()->SetLockBits(SimChip::kLB1 | SimChip::kLB2);
    ASSERT_TRUE(Run(control)) << control;
    ASSERT_EQ(dialogs.messages.size(), 1u) << control;
    EXPECT_EQ(dialogs.messages[0], box);
    EXPECT_TRUE(Box("CheckBox2")->isChecked()) << control << ": the lock bits read are shown";
  }
  EXPECT_FALSE(Item("itemSave")->isEnabled());
}

// A chip locked in mode 3 that hides its signature is erased only when the user agrees; then
// the erase or the write goes on, erasing it first.
TEST_F(ChipMenu, AChipThatMayHideItsSignatureIsErasedOnlyWhenTheUserAgrees) {
  for (bool agree : {false, true}) {
    Open();
    Chip()->SetFlash(std::vector<uint8_t>(8192, 0x00));
    Chip()->SetLockBits(SimChip::kLB1 | SimChip::kLB2);
    Chip()->SetSignatureHiddenWhenLocked(true);
    dialogs.WillConfirm(true);  // Erase asks first
    dialogs.WillAnswer(agree);
    ASSERT_TRUE(Run("itemErase")) << agree;
    ASSERT_EQ(dialogs.questions.size(), 1u) << agree;
    EXPECT_EQ(dialogs.questions[0],
              "The chip answers the signature FF FF FF with lock bit 2 programmed: a chip locked "
              "in mode 3 or 4 may hide its signature, and only a chip erase clears the lock. "
              "Nothing was done to it.\n\nErase the chip (its flash and lock bits) and go on "
              "with the erase?");
    EXPECT_EQ(Chip()->Flash(), std::vector<uint8_t>(8192, agree ? 0xFF : 0x00)) << agree;
    EXPECT_EQ(Chip()->LockBits(), agree ? 0 : SimChip::kLB1 | SimChip::kLB2) << agree;
    EXPECT_EQ(Note().rfind(agree ? "The chip hid its signature behind lock bit 2 and was erased "
                                   "first. Erased the AT89S51 in "
                                 : "The erase was not started: the chip may hide its signature "
                                   "behind lock bit 2",
                           0),
              0u)
        << Note();
    EXPECT_TRUE(dialogs.messages.empty()) << agree;
  }
}

// Erase asks first. No erases nothing, even with "don't ask again" ticked; Yes with it ticked
// erases, and from then on Erase asks nothing, in this run and the next.
TEST_F(ChipMenu, EraseAsksFirstUntilTheUserSaysNotTo) {
  Open();
  Chip()->SetFlash(Bytes(Pattern(1)));
  dialogs.WillConfirm(false, true);
  Item("itemErase")->trigger();
  EXPECT_FALSE(window->Busy());
  ASSERT_EQ(dialogs.confirmations.size(), 1u);
  EXPECT_EQ(dialogs.confirmations[0].rfind("Erase the AT89S51? ", 0), 0u);
  EXPECT_EQ(Chip()->Flash(), Bytes(Pattern(1)));
  EXPECT_TRUE(Item("itemConfirmErase")->isChecked());

  dialogs.WillConfirm(true, true);
  ASSERT_TRUE(Run("itemErase"));
  EXPECT_EQ(Chip()->Flash(), std::vector<uint8_t>(8192, 0xFF));
  EXPECT_FALSE(Item("itemConfirmErase")->isChecked());

  Reopen();
  Chip()->SetFlash(Bytes(Pattern(1)));
  ASSERT_TRUE(Run("itemErase"));
  EXPECT_EQ(Chip()->Flash(), std::vector<uint8_t>(8192, 0xFF));
  EXPECT_EQ(dialogs.confirmations.size(), 2u);
  EXPECT_TRUE(dialogs.errors.empty());
}

}  // namespace

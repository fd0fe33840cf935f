#include <QApplication>
#include <QStatusTipEvent>
#include <QTimer>

#include "ui/UiBench.h"
#include "ui/widgets/TCGauge.h"

namespace {

class OperationGuard : public UiBench {};

// Bytes the chip receives: Programming Enable and the signature, then each operation's
// instructions; the AT89S51 has 16 pages.
constexpr size_t kEnable = 4, kPage = 2 + 256, kErase = 4, kSignature = 3 * 4, kLockBits = 4;
constexpr size_t kStart = kEnable + kSignature, kFlash = 16 * kPage;

// Every kind of operation, held in its programming enable while the user tries every control.
// Test is refused with a note naming what runs; nothing may start beside it, replace the
// device, the port or the image, or make this thread wait for the worker (a wait would hang
// here, as the worker is held); afterwards the chip has seen exactly that one operation, and a
// signature read.
TEST_F(OperationGuard, DuringEachOperationTestIsRefusedAndNoControlStartsAnything) {
  struct Case {
    const char* control;
    size_t bytes;
    const char* running;  // as the busy note names it
  };
  for (const Case& c : {Case{"btnRead", kStart + kLockBits + kFlash, "read"},
                        Case{"Button1", kStart + kLockBits + kFlash, "read"},
                        Case{"btnProgram", kStart + kErase + kFlash, "write"},
                        Case{"btnReadSig", kStart, "signature read"},
                        Case{"btnLockBits", kStart + kLockBits, "lock-bit read"},
                        Case{"itemVerify", kStart + kLockBits + kFlash, "verify"},
                        Case{"itemErase", kStart + kErase, "erase"},
                        Case{"itemBlankCheck", kStart + kLockBits + kFlash, "blank check"}}) {
    const std::string busy =
        "Busy: the " + std::string(c.running) + " is running; wait until it ends";
    const char* control = c.control;
    Open();
    Load("image.bin", Pattern(5));
    Chip()->ClearEvents();
    dialogs.WillChoose(WriteFile("other.bin", {1, 2, 3}));
    dialogs.WillChoose((folder.Path() / "saved.bin").string());
    dialogs.WillConfirm(true);  // Erase asks first
    clock.HoldAtSleep(2);
    Press(control);
    ASSERT_TRUE(clock.WaitUntilHeld()) << control;

    Button("Button1")->click();
    EXPECT_TRUE(Button("Button1")->isEnabled()) << control;
    EXPECT_FALSE(Idle()) << control;
    EXPECT_EQ(Note(), busy) << control;
    QStatusTipEvent hintGone{QString()};  // a menu's item left
    QApplication::sendEvent(window.get(), &hintGone);
    EXPECT_EQ(Note(), busy) << control;
    for (const char* name :
         {"btnProgram", "btnRead", "btnReadSig", "btnLockBits", "itemOpen", "itemSave",
          "ItemAT89S52", "ItemAT89S51", "itemVerify", "itemErase", "itemBlankCheck", "COM2"}) {
      Press(name);
    }
    EXPECT_EQ(RequestControlsEnabled(), All(false)) << control;
    EXPECT_FALSE(Item("ItemAT89S52")->isChecked()) << control;
    EXPECT_FALSE(Item("COM2")->isChecked()) << control;
    EXPECT_EQ(window->Serial().GetPort(), 1) << control;
    clock.Release();
    ASSERT_TRUE(Until([&] { return Idle(); })) << control;
    EXPECT_EQ(RequestControlsEnabled(), All(true)) << control;

    // Served after anything that might have been queued meanwhile.
    ASSERT_TRUE(Run("btnReadSig")) << control;
    EXPECT_EQ(Chip()->WrittenBytes().size(), c.bytes + kStart) << control;
    EXPECT_EQ(window->DevicesCreated(), 1) << control;
    EXPECT_EQ(Bytes(*window->Image()), Bytes(Pattern(5))) << control;
    EXPECT_EQ(window->windowTitle().toStdString(), "isp89 - image.bin") << control;
    EXPECT_TRUE(dialogs.saved.empty()) << control;
  }
}

// As the program runs it: the message loop until the window closes. A close during a write
// asks; "No" lets the write run to its end with the window open, "Yes" ends it at the next
// page, as a stop, and then the window closes. Stopped in the read-back of "Verify after
// write", the write is done but nothing claims it was verified. A signal that ends programs
// stops the write the same way and closes the window without asking, as a close the user
// agreed to.
TEST_F(OperationGuard, ACloseAsksASignalDoesNotAndAStopEndsTheWriteWithinAPage) {
  // Enable (3 waits) and erase (3), then two waits a byte: page 3 or 15, byte 50.
  constexpr int kInPage3 = 6 + 3 * 512 + 101, kInPage15 = 6 + 15 * 512 + 101;
  enum How { kCloseNo, kCloseYes, kSignal };
  struct Case {
    How how;
    bool verify;
    int holdAt;
    size_t pagesWritten;
    const char* note;
    int gauge;
  };
  for (const Case& c :
       {Case{kCloseNo, false, kInPage3, 16,
             "Wrote image.bin to the AT89S51: 16 pages written, not verified", 100},
        Case{kCloseYes, false, kInPage3, 4,
             "The write stopped after 5.8 s: the chip is erased and 4 of 16 pages written", 25},
        Case{kCloseYes, true, kInPage15, 16, "The verify after the write stopped after", 6},
        Case{kSignal, false, kInPage3, 4,
             "The write stopped after 5.8 s: the chip is erased and 4 of 16 pages written", 25}}) {
    Open();
    Load("image.bin", Pattern(8));
    if (c.verify) Item("itemVerifyAfterWrite")->trigger();
    std::shared_ptr<SimChip> chip = Chip();
    chip->ClearEvents();
    window->show();
    dialogs.WillAnswer(c.how == kCloseYes);
    clock.HoldAtSleep(c.holdAt);
    bool closedAtOnce = false;
    QTimer::singleShot(0, window.get(), [&] {
      Button("btnProgram")->click();
      ASSERT_TRUE(Until([&] { return clock.IsHeld(); }));
      if (c.how == kSignal) {
        window->StopAndClose();
      } else {
        closedAtOnce = window->close();
      }
      clock.Release();
      if (c.how == kCloseNo) {
        ASSERT_TRUE(Until([&] { return Idle(); }));
        EXPECT_TRUE(window->isVisible()) << c.note;
        window->close();
      }
    });
    QApplication::exec();
    EXPECT_FALSE(closedAtOnce) << c.note;
    ASSERT_EQ(dialogs.questions.size(), c.how == kSignal ? 0u : 1u) << c.note;
    if (c.how != kSignal) {
      EXPECT_NE(dialogs.questions[0].find("A stopped write leaves the chip partly written"),
                std::string::npos)
          << c.note;
    }
    EXPECT_FALSE(window->isVisible()) << c.note;
    const size_t written = kStart + kErase + c.pagesWritten * kPage;
    const size_t readBack = chip->WrittenBytes().size() - written;
    EXPECT_LE(readBack, c.verify ? kPage + 4 : 0) << c.note;
    EXPECT_GE(readBack, c.verify ? kPage : 0) << c.note;
    EXPECT_EQ(Item("itemSave")->isEnabled(), c.how == kCloseNo) << c.note;
    EXPECT_EQ(Note().rfind(c.note, 0), 0u) << Note();
    EXPECT_EQ(Find<TCGauge>("CGauge1")->Progress(), c.gauge) << c.note;
    EXPECT_TRUE(dialogs.messages.empty()) << c.note;
  }
}

}  // namespace

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
// Nothing may start beside it, replace the device, the port or the image, or make this thread
// wait for the worker (a wait would hang here, as the worker is held); afterwards the chip has
// seen exactly that one operation, and a signature read.
TEST_F(OperationGuard, DuringEachOperationTestIsRefusedAndNoControlStartsAnything) {
  for (auto [control, bytes] :
       {std::pair{"btnRead", kStart + kLockBits + kFlash},
        std::pair{"Button1", kStart + kLockBits + kFlash},
        std::pair{"btnProgram", kStart + kErase + kFlash}, std::pair{"btnReadSig", kStart},
        std::pair{"btnLockBits", kStart + kLockBits},
        std::pair{"itemVerify", kStart + kLockBits + kFlash},
        std::pair{"itemErase", kStart + kErase},
        std::pair{"itemBlankCheck", kStart + kLockBits + kFlash}}) {
    Open();
    std::string loaded = Load("image.bin", Pattern(5));
    Chip()->ClearEvents();
    dialogs.WillChoose(WriteFile("other.bin", {1, 2, 3}));
    dialogs.WillChoose((folder.Path() / "saved.bin").string());
    dialogs.WillConfirm(true);  // Erase asks first
    clock.HoldAtSleep(2);
    Press(control);
    ASSERT_TRUE(clock.WaitUntilHeld()) << control;

    Button("Button1")->click();
    EXPECT_TRUE(Button("Button1")->isEnabled()) << control;
    EXPECT_EQ(Note().rfind("Busy: ", 0), 0u) << control << ": " << Note();
    QStatusTipEvent hintGone{QString()};  // a menu's item left
    QApplication::sendEvent(window.get(), &hintGone);
    EXPECT_EQ(Note().rfind("Busy: ", 0), 0u) << control << ": " << Note();
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
    Button("btnReadSig")->click();
    ASSERT_TRUE(Until([&] { return Idle(); })) << control;
    EXPECT_EQ(Chip()->WrittenBytes().size(), bytes + kStart) << control;
    EXPECT_EQ(window->DevicesCreated(), 1) << control;
    EXPECT_EQ(Bytes(*window->Image()), Bytes(Pattern(5))) << control;
    EXPECT_EQ(window->windowTitle().toStdString(), "isp89 - image.bin") << control;
    EXPECT_TRUE(dialogs.saved.empty()) << control;
    dialogs = ScriptedDialogs();
  }
}

// As the program runs it: the message loop until the window closes. A close during a write
// asks; "No" lets the write run to its end with the window open, "Yes" ends it at the next
// page, as a stop, and then the window closes. Stopped in the read-back of "Verify after
// write", the write is done but nothing claims it was verified.
TEST_F(OperationGuard, ClosingDuringAWriteAsksAndAStopEndsItWithinAPage) {
  // Enable (3 waits) and erase (3), then two waits a byte: page 3 or 15, byte 50.
  constexpr int kInPage3 = 6 + 3 * 512 + 101, kInPage15 = 6 + 15 * 512 + 101;
  struct Case {
    bool stop;
    bool verify;
    int holdAt;
    size_t pagesWritten;
    const char* note;
    int gauge;
  };
  for (const Case& c :
       {Case{false, false, kInPage3, 16,
             "Wrote image.bin to the AT89S51: 16 pages written, not verified", 100},
        Case{true, false, kInPage3, 4,
             "The write stopped after 5.8 s: the chip is erased and 4 "
             "of 16 pages written",
             25},
        Case{true, true, kInPage15, 16, "The verify after the write stopped after", 6}}) {
    Open();
    Load("image.bin", Pattern(8));
    if (c.verify) Item("itemVerifyAfterWrite")->trigger();
    std::shared_ptr<SimChip> chip = Chip();
    chip->ClearEvents();
    window->show();
    dialogs.WillAnswer(c.stop);
    clock.HoldAtSleep(c.holdAt);
    bool closedAtOnce = true;
    QTimer::singleShot(0, window.get(), [&] {
      Button("btnProgram")->click();
      ASSERT_TRUE(Until([&] { return clock.IsHeld(); }));
      closedAtOnce = window->close();
      clock.Release();
      if (!c.stop) {
        ASSERT_TRUE(Until([&] { return Idle(); }));
        EXPECT_TRUE(window->isVisible());
        window->close();
      }
    });
    QApplication::exec();
    EXPECT_FALSE(closedAtOnce) << c.note;
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_NE(dialogs.questions[0].find("A stopped write leaves the chip partly written"),
              std::string::npos);
    EXPECT_FALSE(window->isVisible());
    const size_t written = kStart + kErase + c.pagesWritten * kPage;
    const size_t readBack = chip->WrittenBytes().size() - written;
    EXPECT_LE(readBack, c.verify ? kPage + 4 : 0) << c.note;
    EXPECT_GE(readBack, c.verify ? kPage : 0) << c.note;
    EXPECT_EQ(Item("itemSave")->isEnabled(), !c.stop) << c.note;
    EXPECT_EQ(Note().rfind(c.note, 0), 0u) << Note();
    EXPECT_EQ(Find<TCGauge>("CGauge1")->Progress(), c.gauge) << c.note;
    EXPECT_TRUE(dialogs.messages.empty());
    dialogs = ScriptedDialogs();
  }
}

// A signal that ends programs stops the write at its next page and closes the window without
// asking, as a close the user agreed to.
TEST_F(OperationGuard, ASignalStopsTheWriteAtAPageAndClosesWithoutAsking) {
  Open();
  Load("image.bin", Pattern(8));
  std::shared_ptr<SimChip> chip = Chip();
  chip->ClearEvents();
  window->show();
  clock.HoldAtSleep(6 + 3 * 512 + 101);  // in page 3
  QTimer::singleShot(0, window.get(), [&] {
    Button("btnProgram")->click();
    ASSERT_TRUE(Until([&] { return clock.IsHeld(); }));
    window->StopAndClose();
    clock.Release();
  });
  QApplication::exec();
  EXPECT_TRUE(dialogs.questions.empty());
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(chip->WrittenBytes().size(), kStart + kErase + 4 * kPage);
  EXPECT_EQ(Note().rfind("The write stopped after", 0), 0u) << Note();
}

}  // namespace

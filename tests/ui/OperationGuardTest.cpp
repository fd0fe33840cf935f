#include <QApplication>
#include <QTimer>

#include "ui/UiBench.h"
#include "ui/platform/TCGauge.h"

namespace {

class OperationGuard : public UiBench {};

// Bytes the chip receives: Programming Enable, then each operation's instructions.
constexpr size_t kEnable = 4, kPage = 2 + 256, kErase = 4, kSignature = 3 * 4;
constexpr size_t kRead = kEnable + 32 * kPage;

// Every kind of operation, held in its programming enable while the user tries every control.
// Nothing may start beside it, replace the device or the image, or make this thread wait for
// the worker (a wait would hang here, as the worker is held); afterwards the chip has seen
// exactly that one operation, and a signature read.
TEST_F(OperationGuard, DuringEachOperationTestIsRefusedAndNoControlStartsAnything) {
  struct Kind {
    const char* control;  // the button or menu item that starts it
    size_t bytes;
  };
  const std::vector<Kind> kinds = {
      {"btnRead", kRead},
      {"Button1", kRead},
      {"btnProgram", kEnable + kErase + 32 * kPage},
      {"btnReadSig", kEnable + kSignature},
      {"itemVerify", kRead},
      {"itemErase", kEnable + kErase},
      {"itemBlankCheck", kRead},
  };
  for (const Kind& kind : kinds) {
    Open();
    std::string loaded = Load("image.bin", Pattern(5));
    Chip()->ClearEvents();
    dialogs.WillChoose(WriteFile("other.bin", {1, 2, 3}));
    dialogs.WillChoose((folder.Path() / "saved.bin").string());
    clock.HoldAtSleep(2);
    if (auto* button = window->findChild<QPushButton*>(kind.control)) {
      button->click();
    } else {
      Item(kind.control)->trigger();
    }
    ASSERT_TRUE(clock.WaitUntilHeld()) << kind.control;

    Button("Button1")->click();
    EXPECT_TRUE(Button("Button1")->isEnabled()) << kind.control;
    EXPECT_EQ(Note().rfind("Busy: ", 0), 0u) << kind.control << ": " << Note();
    for (const char* name : {"btnProgram", "btnRead", "btnReadSig", "btnLockBits"}) {
      Button(name)->click();
    }
    for (const char* name : {"itemOpen", "itemSave", "ItemAT89S52", "ItemAT89S51", "itemVerify",
                             "itemErase", "itemBlankCheck"}) {
      Item(name)->trigger();
    }
    EXPECT_EQ(RequestControlsEnabled(), All(false)) << kind.control;
    EXPECT_TRUE(Item("ItemAT89S51")->isChecked()) << kind.control;
    EXPECT_FALSE(Item("ItemAT89S52")->isChecked()) << kind.control;
    clock.Release();
    ASSERT_TRUE(Until([&] { return Idle(); })) << kind.control;
    EXPECT_EQ(RequestControlsEnabled(), All(true)) << kind.control;

    // Served after anything that might have been queued meanwhile.
    Button("btnReadSig")->click();
    ASSERT_TRUE(Until([&] { return Idle(); })) << kind.control;
    EXPECT_EQ(Chip()->WrittenBytes().size(), kind.bytes + kEnable + kSignature) << kind.control;
    EXPECT_EQ(window->DevicesCreated(), 1) << kind.control;
    EXPECT_EQ(Bytes(*window->Image()), Bytes(Pattern(5))) << kind.control;
    EXPECT_EQ(Find<TStatusBar>("StatusBar")->SimpleText(), loaded) << kind.control;
    EXPECT_EQ(dialogs.opened.size(), 1u) << kind.control;  // the load before the operation
    EXPECT_TRUE(dialogs.saved.empty()) << kind.control;
    dialogs = ScriptedDialogs();
  }
}

// As the program runs it: the message loop until the window closes. A close during a write
// asks; "No" lets the write run to its end with the window open, "Yes" ends it within one
// page, as a failure, and then the window closes.
TEST_F(OperationGuard, ClosingDuringAWriteAsksAndAStopEndsItWithinAPage) {
  struct Case {
    bool stop;
    size_t pagesWritten;
  };
  for (const Case& c : {Case{false, 32}, Case{true, 4}}) {
    Open();
    Load("image.bin", Pattern(8));
    std::shared_ptr<SimChip> chip = Chip();
    chip->ClearEvents();
    window->show();
    dialogs.WillAnswer(c.stop);
    // Enable (3 waits) and erase (2), then two waits a byte: page 3, byte 50.
    clock.HoldAtSleep(5 + 3 * 512 + 101);
    bool closedAtOnce = true;
    QTimer::singleShot(0, window.get(), [&] {
      Button("btnProgram")->click();
      ASSERT_TRUE(clock.WaitUntilHeld());
      closedAtOnce = window->close();
      clock.Release();
      if (!c.stop) {
        ASSERT_TRUE(Until([&] { return Idle(); }));
        EXPECT_TRUE(window->isVisible());
        window->close();
      }
    });
    QApplication::exec();
    EXPECT_FALSE(closedAtOnce) << c.stop;
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_NE(dialogs.questions[0].find("A stopped write leaves the chip partly written"),
              std::string::npos);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(chip->WrittenBytes().size(), kEnable + kErase + c.pagesWritten * kPage) << c.stop;
    EXPECT_EQ(Item("itemSave")->isEnabled(), !c.stop);
    EXPECT_EQ(Note().rfind(c.stop ? "The write stopped after" : "Wrote 8192 bytes", 0), 0u)
        << Note();
    EXPECT_EQ(Find<TCGauge>("CGauge1")->Progress(), c.stop ? 9 : 100);
    EXPECT_TRUE(dialogs.messages.empty());
    dialogs = ScriptedDialogs();
  }
}

}  // namespace

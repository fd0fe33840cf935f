#include <QApplication>

#include "ui/UiBench.h"
#include "ui/widgets/TCGauge.h"
#include "ui/widgets/TStatusBar.h"

namespace {

// Records every value the gauge takes and whether the request controls were enabled then.
class Transfers : public UiBench {
 protected:
  void Watch() {
    QObject::connect(Find<TCGauge>("CGauge1"), &QProgressBar::valueChanged, window.get(),
                     [this](int value) {
                       gaugeValues.push_back(value);
                       enabledAtProgress.push_back(RequestControlsEnabled()[3]);
                     });
  }
  // The AT89S51's 16 pages, after the 0 that starts the phase.
  static std::vector<int> TransferGauge() {
    std::vector<int> values;
    for (int page = 1; page <= 16; ++page) values.push_back(page * 100 / 16);
    return values;
  }
  // The AT89S51's own 4 KB: what crosses the line, and so what the traces hold.
  static std::vector<uint8_t> Flash4K(const Buffer& image) {
    return {image.Data(), image.Data() + 4096};
  }
  bool SaveReady() const { return Item("itemSave")->isEnabled(); }

  std::vector<int> gaugeValues;
  std::vector<bool> enabledAtProgress;
};

// Read, Write and Test each hold the request controls (Test and the lock-bit mode stay live)
// until the worker is through, move the gauge page by page, leave the bytes that crossed the
// line in a trace file, and enable Save, which writes the image read or written, even after
// the device was switched.
TEST_F(Transfers, EachTransferHoldsTheControlsFillsTheGaugeAndCanBeSaved) {
  struct Case {
    const char* control;
    uint8_t seed;  // of the chip's flash, or of the image file a write loads
    const char* trace;
    bool switchDevice;  // before Save
  };
  for (const Case& c : {Case{"btnRead", 7, "readed_memory.bin", false},
                        Case{"btnRead", 9, "readed_memory.bin", true},
                        Case{"btnProgram", 2, "writed_memory.bin", false},
                        Case{"Button1", 4, "readed_memory.bin", false}}) {
    const std::string row = c.control + std::string(c.switchDevice ? ", a switch, Save" : "");
    Open();
    if (std::string(c.control) == "btnProgram") {
      const std::string path = Load("image.bin", Pattern(c.seed));
      EXPECT_EQ(Find<TStatusBar>("StatusBar")->SimpleText(), path);
    } else {
      Chip()->SetFlash(Bytes(Pattern(c.seed)));
    }
    gaugeValues.clear();
    enabledAtProgress.clear();
    Watch();
    Press(c.control);
    EXPECT_EQ(RequestControlsEnabled(), All(false)) << row;
    EXPECT_TRUE(Button("Button1")->isEnabled()) << row;
    EXPECT_TRUE(Box("cbRwLockBits")->isEnabled()) << row;
    ASSERT_TRUE(Until([&] { return SaveReady(); })) << row;
    // From 0 to 0 the gauge emits nothing.
    EXPECT_EQ(gaugeValues, TransferGauge()) << row;
    // Disabled through every page and the worker's last progress: they come back only when
    // the worker is through with the request.
    EXPECT_EQ(enabledAtProgress, std::vector<bool>(gaugeValues.size(), false)) << row;
    EXPECT_EQ(RequestControlsEnabled(), All(true)) << row;
    EXPECT_EQ(Find<TCGauge>("CGauge1")->Progress(), 100) << row;
    EXPECT_EQ(Chip()->Flash(), Bytes(Pattern(c.seed))) << row;
    EXPECT_EQ(ScratchFolder::Read(c.trace), Flash4K(Pattern(c.seed))) << row;

    if (c.switchDevice) Item("ItemAT89S52")->trigger();
    EXPECT_EQ(Item("ItemAT89S52")->isChecked(), c.switchDevice) << row;
    EXPECT_EQ(Item("ItemAT89S51")->isChecked(), !c.switchDevice) << row;
    EXPECT_EQ(ScratchFolder::Read(SaveAs("saved.bin")), Bytes(Pattern(c.seed))) << row;
    EXPECT_EQ(dialogs.saved.back().defaultExtension, "bin") << row;
    EXPECT_TRUE(dialogs.messages.empty()) << row;
  }
}

// Write and Verify need a file: each says so and starts nothing.
TEST_F(Transfers, WriteOrVerifyWithoutAnImageSaysToOpenOneAndStartsNothing) {
  Open();
  Button("btnProgram")->click();
  Item("itemVerify")->trigger();
  EXPECT_EQ(RequestControlsEnabled(), All(true));
  QTest::qWait(50);
  EXPECT_TRUE(Chip()->Events().empty());
  EXPECT_EQ(dialogs.messages,
            (std::vector<std::string>{
                "There is no image to write: open an image file first (file / open).",
                "There is no image to verify: open an image file first (file / open)."}));
}

TEST_F(Transfers, ASignatureReadShowsTwoHexDigitsPerByteAndReEnables) {
  Open();
  Button("btnReadSig")->click();
  EXPECT_EQ(RequestControlsEnabled(), All(false));
  ASSERT_TRUE(Until([&] { return Text("Edit1") != "-"; }));
  EXPECT_EQ(Text("Edit1"), "1E");
  EXPECT_EQ(Text("Edit2"), "51");
  EXPECT_EQ(Text("Edit3"), "06");
  EXPECT_EQ(RequestControlsEnabled(), All(true));
  EXPECT_FALSE(SaveReady());

  Item("COM2")->trigger();  // the AT89S52 on the next opening
  Button("btnReadSig")->click();
  ASSERT_TRUE(Until([&] { return Text("Edit2") == "52"; }));
}

TEST_F(Transfers, ProgressMessagesSetTheGaugeAndUnknownKindsChangeNothing) {
  Open();
  WindowMessage progress(AT89S5xRunnable::WM_PROGRESS, 37, 0);
  QApplication::sendEvent(window.get(), &progress);
  EXPECT_EQ(Find<TCGauge>("CGauge1")->Progress(), 37);
  window->EnableControls(false);
  WindowMessage unknownKind(AT89S5xRunnable::WM_PROGRESS, 100, 4);
  QApplication::sendEvent(window.get(), &unknownKind);
  WindowMessage otherNumber(AT89S5xRunnable::WM_PROGRESS + 7, 100, 1);
  QApplication::sendEvent(window.get(), &otherNumber);
  EXPECT_EQ(Find<TCGauge>("CGauge1")->Progress(), 37);
  EXPECT_EQ(RequestControlsEnabled(), All(false));
  EXPECT_FALSE(SaveReady());
}

TEST_F(Transfers, AFailedRequestIsShownAndTheWindowRecovers) {
  Open();
  Item("COM3")->trigger();  // a port that cannot be opened
  Button("btnRead")->click();
  ASSERT_TRUE(Until([&] { return !dialogs.messages.empty(); }));
  EXPECT_EQ(dialogs.messages[0],
            "The read failed:\nSerial port COM3 cannot be opened\n/nonexistent/isp89-port (from "
            "ISP89_COM3): No such file or directory. Connect the adapter, or choose another port "
            "in the port menu.");
  EXPECT_EQ(RequestControlsEnabled(), All(true));
  EXPECT_FALSE(SaveReady());

  Item("COM1")->trigger();
  Button("btnReadSig")->click();
  ASSERT_TRUE(Until([&] { return Text("Edit1") == "1E"; }));
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(Transfers, ChoosingTheSelectedDeviceOrPortAgainKeepsItsMark) {
  Open();
  Item("ItemAT89S51")->trigger();
  EXPECT_TRUE(Item("ItemAT89S51")->isChecked());
  EXPECT_EQ(window->DevicesCreated(), 2);
  Item("COM1")->trigger();
  EXPECT_TRUE(Item("COM1")->isChecked());
  EXPECT_EQ(window->Serial().GetPort(), 1);
  Item("COM5")->trigger();
  EXPECT_FALSE(Item("COM1")->isChecked());
  EXPECT_TRUE(Item("COM5")->isChecked());
  EXPECT_EQ(window->Serial().GetPort(), 5);
}

TEST_F(Transfers, ALoadThatCannotOpenNamesThePathAndChangesNothing) {
  Open();
  std::string good = Load("image.bin", Pattern(1));
  std::string missing = (folder.Path() / "missing.bin").string();
  OpenFile(missing);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].find(missing), std::string::npos);
  EXPECT_NE(dialogs.messages[0].find("No such file"), std::string::npos);
  EXPECT_EQ(Find<TStatusBar>("StatusBar")->SimpleText(), good);
  EXPECT_EQ(Bytes(*window->Image()), Bytes(Pattern(1)));

  OpenFile(folder.Path().string());
  EXPECT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(Bytes(*window->Image()), Bytes(Pattern(1)));

  OpenFile("");  // cancelled
  EXPECT_EQ(dialogs.messages.size(), 2u);
}

TEST_F(Transfers, AFileLongerThanTheMemoryContributesOnlyItsStartAndSaysSo) {
  Open();
  Buffer longer = Pattern(6, 9000);
  std::string path = WriteFile("long.bin", Bytes(longer));
  window->LoadImageFile(path);
  EXPECT_EQ(Bytes(*window->Image()), Bytes(Pattern(6)));
  EXPECT_EQ(Note(), path +
                        " is 9000 bytes, longer than the 8192-byte memory; the first 8192 bytes "
                        "are used");
}

TEST_F(Transfers, ASaveThatFailsIsShownInABox) {
  Open();
  Button("btnRead")->click();
  ASSERT_TRUE(Until([&] { return SaveReady(); }));
  SaveAs("no-such-folder/x.bin");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].find("no-such-folder"), std::string::npos);
}

}  // namespace

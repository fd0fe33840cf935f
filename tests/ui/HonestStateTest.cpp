#include <QApplication>
#include <QStatusTipEvent>

#include "ui/UiBench.h"
#include "ui/widgets/TCGauge.h"

namespace {

class HonestState : public UiBench {
 protected:
  int Gauge() const { return Find<TCGauge>("CGauge1")->Progress(); }
};

// Each load starts from an erased image, so a write sends exactly the file last chosen; an
// empty file is refused and changes nothing.
TEST_F(HonestState, EveryLoadIsExactlyTheFileAndAnEmptyOneChangesNothing) {
  Open();
  Item("COM2")->trigger();  // the AT89S52, whose 8 KB are all its own
  Item("ItemAT89S52")->trigger();
  Load("long.bin", Pattern(1));
  std::string path = WriteFile("short.bin", std::vector<uint8_t>(100, 0x55));
  OpenFile(path);
  ASSERT_TRUE(Run("btnProgram"));
  std::vector<uint8_t> expected(8192, 0xFF);
  std::fill_n(expected.begin(), 100, 0x55);
  EXPECT_EQ(Chip("sim:AT89S52")->Flash(), expected);

  const std::string said = Note();
  OpenFile(WriteFile("empty.bin", {}));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].find("empty.bin is empty"), std::string::npos);
  EXPECT_EQ(Bytes(*window->Image()), expected);
  EXPECT_EQ(Note(), said);
  EXPECT_EQ(window->windowTitle().toStdString(), "isp89 - short.bin");
}

// On the AT89S51 (4 KB) the upper half of an 8 KB image must be erased or a mirror of the
// lower, or the write is refused before the chip is changed.
TEST_F(HonestState, AnImageThatCannotFitTheChipIsRefusedBeforeTheChipIsChanged) {
  struct Case {
    const char* device;
    int upper;  // -1: a mirror of the lower half
    bool refused;
  };
  for (const Case& c : {Case{"ItemAT89S51", 0xFF, false}, Case{"ItemAT89S51", -1, false},
                        Case{"ItemAT89S51", 0x00, true}, Case{"ItemAT89S52", 0x00, false}}) {
    Open();
    Item(c.device)->trigger();
    const bool large = std::string(c.device) == "ItemAT89S52";
    if (large) Item("COM2")->trigger();
    Buffer image = Pattern(3);  // 13 x 4096 is a multiple of 256: the halves are equal
    if (c.upper >= 0) std::fill_n(image.Data() + 4096, 4096, c.upper);
    Load("big.bin", image);
    ASSERT_TRUE(Run("btnProgram"));
    EXPECT_EQ(
        Chip(large ? "sim:AT89S52" : "sim:AT89S51")->Flash() == std::vector<uint8_t>(8192, 0xFF),
        c.refused)
        << c.device << c.upper;
    std::vector<std::string> box;
    if (c.refused) {
      box.push_back(
          "The write failed:\nThe image cannot be written to the AT89S51: big.bin has data at "
          "1000, beyond the AT89S51's 4 KB of flash, where the chip would write it over 0000.");
    }
    EXPECT_EQ(dialogs.messages, box) << c.device << c.upper;
  }
}

// A failure leaves the gauge where it stopped and no stale signature bytes.
TEST_F(HonestState, AFailureLeavesTheGaugeWhereItStoppedAndNoStaleSignature) {
  Open();
  ASSERT_TRUE(Run("btnReadSig"));
  EXPECT_EQ(Text("Edit2"), "51");
  // Answers the enable, the signature, the lock bits and 11 of 16 pages, then nothing.
  Chip()->SetSilenceAfter(3000);
  Button("btnRead")->click();
  EXPECT_EQ(Gauge(), 0);
  ASSERT_TRUE(Until([&] { return Idle(); }));
  EXPECT_EQ(Gauge(), 11 * 100 / 16);
  EXPECT_EQ(Note().rfind("The read failed after", 0), 0u) << Note();
  EXPECT_FALSE(Item("itemSave")->isEnabled());
  ASSERT_TRUE(Run("btnReadSig"));
  EXPECT_EQ(Gauge(), 0);
  for (const char* edit : {"Edit1", "Edit2", "Edit3"}) EXPECT_EQ(Text(edit), "-") << edit;
  EXPECT_EQ(dialogs.messages.size(), 2u);
}

// Every operation ends with what it did, how many bytes and how long (virtual time: the
// protocol's waits), in place of the load path; it stays there, also while a menu's hint
// passes over it. Erase then Blank check also proves the erase.
TEST_F(HonestState, EveryOperationEndsWithASummaryThatStaysInTheStatusText) {
  Open();
  Load("image.bin", Pattern(4));
  for (auto [control, summary] : {
           std::pair{"btnProgram",
                     "Wrote image.bin to the AT89S51: 16 pages written, not verified in 12.0 s"},
           std::pair{"itemVerify", "Verified 4096 bytes: the AT89S51 holds image.bin in 1.8 s"},
           std::pair{"btnRead", "Read 8192 bytes from the AT89S51 in 1.8 s"},
           std::pair{"btnReadSig", "Read the signature 1E 51 06 (AT89S51) in 1.8 s"},
           std::pair{"itemErase", "Erased the AT89S51 in 3.8 s"},
           std::pair{"itemBlankCheck", "Blank check passed: 4096 bytes erased in 1.8 s"},
       }) {
    dialogs.WillConfirm(true);  // Erase asks first
    ASSERT_TRUE(Run(control)) << control;
    EXPECT_EQ(Note(), summary);
    Item("COM2")->showStatusText(window.get());
    QStatusTipEvent leave{QString()};
    QApplication::sendEvent(window.get(), &leave);
    EXPECT_EQ(Note(), summary);
  }
  std::string saved = SaveAs("saved.bin");
  EXPECT_EQ(Note(), "Saved 8192 bytes to " + saved);
  EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace

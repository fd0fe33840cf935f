#include "ui/UiBench.h"
#include "ui/platform/TCGauge.h"

namespace {

class HonestState : public UiBench {
 protected:
  int Gauge() const { return Find<TCGauge>("CGauge1")->Progress(); }
};

// Each load starts from an erased image: a write sends exactly the file last chosen.
TEST_F(HonestState, AShorterFileAfterALongerOneIsWrittenAloneOverErasedBytes) {
  Open();
  Item("COM2")->trigger();  // the AT89S52, whose 8 KB are all its own
  Item("ItemAT89S52")->trigger();
  Load("long.bin", Pattern(1));
  std::vector<uint8_t> shorter(100, 0x55);
  std::string path = WriteFile("short.bin", shorter);
  dialogs.WillChoose(path);
  Item("itemOpen")->trigger();
  Button("btnProgram")->click();
  ASSERT_TRUE(Until([&] { return Idle(); }));
  std::vector<uint8_t> expected(8192, 0xFF);
  std::fill_n(expected.begin(), shorter.size(), 0x55);
  EXPECT_EQ(Bytes(*window->Image()), expected);
  EXPECT_EQ(Chip("sim:AT89S52")->Flash(), expected);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(HonestState, AnEmptyFileIsRefusedAndLeavesTheImageAndItsName) {
  Open();
  std::string good = Load("good.bin", Pattern(2));
  std::string empty = WriteFile("empty.bin", {});
  dialogs.WillChoose(empty);
  Item("itemOpen")->trigger();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].find("empty.bin is empty"), std::string::npos)
      << dialogs.messages[0];
  EXPECT_EQ(Bytes(*window->Image()), Bytes(Pattern(2)));
  EXPECT_EQ(Find<TStatusBar>("StatusBar")->SimpleText(), good);
}

// On the AT89S51 (4 KB) the upper half of an 8 KB image must be erased or a mirror of the
// lower, or the write is refused before a byte is sent.
TEST_F(HonestState, AnImageThatCannotFitTheChosenChipIsRefusedBeforeAnythingIsSent) {
  struct Case {
    const char* device;
    uint8_t (*upper)(const Buffer& image, uint32_t address);
    bool refused;
  };
  const auto erased = [](const Buffer&, uint32_t) -> uint8_t { return 0xFF; };
  const auto mirror = [](const Buffer& i, uint32_t a) -> uint8_t { return i[a - 4096]; };
  const auto other = [](const Buffer& i, uint32_t a) -> uint8_t { return ~i[a - 4096]; };
  for (const Case& c : {Case{"ItemAT89S51", erased, false}, Case{"ItemAT89S51", mirror, false},
                        Case{"ItemAT89S51", other, true}, Case{"ItemAT89S52", other, false}}) {
    Open();
    Item(c.device)->trigger();
    Buffer image = Pattern(3);
    for (uint32_t a = 4096; a < 8192; ++a) image[a] = c.upper(image, a);
    Load("big.bin", image);
    Button("btnProgram")->click();
    EXPECT_EQ(Idle(), c.refused) << c.device;
    ASSERT_TRUE(Until([&] { return Idle(); }));
    EXPECT_EQ(Chip()->Events().empty(), c.refused) << c.device;
    EXPECT_EQ(RequestControlsEnabled(), All(true));
    if (!c.refused) {
      EXPECT_TRUE(dialogs.messages.empty()) << c.device;
      continue;
    }
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0],
              "The image cannot be written to the AT89S51: big.bin has data at 1000, beyond the "
              "AT89S51's 4 KB of flash, where the chip would write it over 0000.");
    dialogs = ScriptedDialogs();
  }
}

// A failed operation leaves the gauge where it stopped and no stale signature bytes.
TEST_F(HonestState, AFailureLeavesTheGaugeWhereItStoppedAndNoStaleSignature) {
  Open();
  Button("btnReadSig")->click();
  ASSERT_TRUE(Until([&] { return Idle(); }));
  EXPECT_EQ(Text("Edit2"), "51");
  EXPECT_EQ(Gauge(), 100);

  Chip()->SetSilenceAfter(3000);  // answers the enable and 11 pages, then nothing
  Button("btnRead")->click();
  EXPECT_EQ(Gauge(), 0);
  ASSERT_TRUE(Until([&] { return Idle(); }));
  EXPECT_EQ(Gauge(), 31);
  EXPECT_EQ(Note().rfind("The read failed after", 0), 0u) << Note();
  EXPECT_FALSE(Item("itemSave")->isEnabled());

  Button("btnReadSig")->click();
  ASSERT_TRUE(Until([&] { return Idle(); }));
  EXPECT_EQ(Gauge(), 0);
  for (const char* edit : {"Edit1", "Edit2", "Edit3"}) EXPECT_EQ(Text(edit), "-") << edit;
  EXPECT_EQ(dialogs.messages.size(), 2u);
}

// Every operation ends with what it did, how many bytes and how long (virtual time: the
// waits the protocol mandates), over the load path, which stays the status text.
TEST_F(HonestState, EveryOperationEndsWithASummaryOverTheStatusText) {
  Open();
  std::string path = Load("image.bin", Pattern(4));
  std::string saved = (folder.Path() / "saved.bin").string();
  struct Case {
    const char* control;
    const char* summary;
  };
  for (const Case& c : {
           Case{"btnProgram", "Wrote 8192 bytes to the AT89S51 in 20.2 s"},
           Case{"itemVerify", "Verified 4096 bytes: the AT89S51 holds image.bin in 1.8 s"},
           Case{"btnRead", "Read 8192 bytes from the AT89S51 in 1.8 s"},
           Case{"btnReadSig", "Read the signature 1E 51 06 (AT89S51) in 1.8 s"},
           Case{"itemErase", "Erased the AT89S51 in 3.8 s"},
           Case{"itemBlankCheck", "Blank check passed: 4096 bytes erased in 1.8 s"},
       }) {
    if (auto* button = window->findChild<QPushButton*>(c.control)) {
      button->click();
    } else {
      Item(c.control)->trigger();
    }
    ASSERT_TRUE(Until([&] { return Idle(); })) << c.control;
    EXPECT_EQ(Note(), c.summary);
    EXPECT_EQ(Find<TStatusBar>("StatusBar")->SimpleText(), path);
  }
  dialogs.WillChoose(saved);
  Item("itemSave")->trigger();
  EXPECT_EQ(Note(), "Saved 8192 bytes to " + saved);
  EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace

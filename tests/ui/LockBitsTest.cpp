#include <QApplication>

#include "ui/UiBench.h"
#include "ui/widgets/TStatusBar.h"

namespace {

class LockBits : public UiBench {
 protected:
  void SetBoxes(bool lb1, bool lb2, bool lb3) {
    Box("CheckBox1")->setChecked(lb1);
    Box("CheckBox2")->setChecked(lb2);
    Box("CheckBox3")->setChecked(lb3);
  }
  std::vector<bool> Boxes() const {
    return {Box("CheckBox1")->isChecked(), Box("CheckBox2")->isChecked(),
            Box("CheckBox3")->isChecked()};
  }
  // The second bytes of the Write Lock Bits instructions the chip received, in order.
  std::vector<int> LockInstructions() {
    std::vector<uint8_t> written = Chip()->WrittenBytes();
    std::vector<int> instructions;
    for (size_t i = 1; i < written.size(); ++i) {
      if (written[i - 1] == 0xAC && (written[i] & 0xFC) == 0xE0) instructions.push_back(written[i]);
    }
    return instructions;
  }
};

TEST_F(LockBits, TheWriteBoxSwitchesTheModeAndKeepsTheBoxesStates) {
  Open();
  Box("cbRwLockBits")->click();
  EXPECT_EQ(Button("btnLockBits")->text().toStdString(), "Write Lock Bits");
  for (const char* name : {"CheckBox1", "CheckBox2", "CheckBox3"}) {
    EXPECT_TRUE(Box(name)->isEnabled()) << name;
  }
  Box("CheckBox2")->click();
  Box("cbRwLockBits")->click();
  EXPECT_EQ(Button("btnLockBits")->text().toStdString(), "Read Lock Bits");
  EXPECT_FALSE(Box("CheckBox1")->isEnabled());
  EXPECT_EQ(Boxes(), (std::vector<bool>{false, true, false}));
}

// The LB1 box programs lock bit 1 (AC E1), the LB2 box lock bit 2 (AC E2), LB1 first; the
// LB3 box is never passed.
TEST_F(LockBits, WritingProgramsTheBitsOfLB1AndLB2WhateverLB3) {
  Open();
  Box("cbRwLockBits")->click();
  struct Case {
    bool lb1, lb2, lb3;
    std::vector<int> instructions;
    uint8_t lockBits;
  };
  for (const Case& c :
       {Case{true, true, false, {0xE1, 0xE2}, 0x03}, Case{true, false, true, {0xE1}, 0x01},
        Case{false, true, true, {0xE2}, 0x02}, Case{false, false, true, {0xE0}, 0x00}}) {
    Chip()->SetLockBits(0);
    Chip()->ClearEvents();
    SetBoxes(c.lb1, c.lb2, c.lb3);
    Button("btnLockBits")->click();
    EXPECT_EQ(LockInstructions(), c.instructions) << c.lb1 << c.lb2 << c.lb3;
    EXPECT_EQ(Chip()->LockBits(), c.lockBits) << c.lb1 << c.lb2 << c.lb3;
    EXPECT_EQ(Boxes(), (std::vector<bool>{c.lb1, c.lb2, c.lb3}));
  }
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(LockBits, ReadingSetsEveryBoxBothWays) {
  Open();
  Chip()->SetLockBits(SimChip::kLB1 | SimChip::kLB3);
  SetBoxes(false, true, false);
  Button("btnLockBits")->click();
  EXPECT_EQ(Boxes(), (std::vector<bool>{true, false, true}));
  Chip()->SetLockBits(0);
  Button("btnLockBits")->click();
  EXPECT_EQ(Boxes(), (std::vector<bool>{false, false, false}));
}

TEST_F(LockBits, TheOperationHoldsTheWindowForTheDeviceWaitsAndThenLetsGo) {
  Open();
  clock.ClearSleeps();
  Button("btnLockBits")->click();
  uint32_t waited = 0;
  for (uint32_t ms : clock.Sleeps()) waited += ms;
  EXPECT_EQ(waited, 1800u);  // reset pulse and programming enable
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(Note(), "Read the lock bits: LB1=0 LB2=0 LB3=0 in 1.8 s");
  Box("cbRwLockBits")->click();
  Box("CheckBox2")->click();
  Button("btnLockBits")->click();
  EXPECT_EQ(Note(), "Programmed LB2 in 1.8 s");
}

TEST_F(LockBits, AFailureReachesAMessageBoxAndLeavesTheBoxes) {
  Open();
  SetBoxes(true, false, true);
  Item("COM3")->trigger();
  Button("btnLockBits")->click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].find("cannot open COM3"), std::string::npos);
  EXPECT_EQ(Boxes(), (std::vector<bool>{true, false, true}));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  Box("cbRwLockBits")->click();
  Button("btnLockBits")->click();
  EXPECT_EQ(dialogs.messages.size(), 2u);
  EXPECT_TRUE(window->isEnabled());
}

}  // namespace

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
  EXPECT_EQ(Button("btnLockBits")->text().toStdString(), "Write &Lock Bits");
  for (const char* name : {"CheckBox1", "CheckBox2", "CheckBox3"}) {
    EXPECT_TRUE(Box(name)->isEnabled()) << name;
  }
  Box("CheckBox2")->click();
  Box("cbRwLockBits")->click();
  EXPECT_EQ(Button("btnLockBits")->text().toStdString(), "Read &Lock Bits");
  EXPECT_FALSE(Box("CheckBox1")->isEnabled());
  EXPECT_EQ(Boxes(), (std::vector<bool>{false, true, false}));
}

// Every ticked box is programmed, one Write Lock Bits instruction a bit, LB1 first (LB3:
// AC E3, lock mode 4); then the bits are read back and the boxes show what the chip holds.
TEST_F(LockBits, WritingProgramsEveryTickedBoxAndShowsWhatTheChipReads) {
  Open();
  Box("cbRwLockBits")->click();
  struct Case {
    bool lb1, lb2, lb3;
    std::vector<int> instructions;
    uint8_t lockBits;
    const char* note;
  };
  for (const Case& c : {Case{true, false, true, {0xE1, 0xE3}, 0x05, "Programmed LB1 and LB3"},
                        Case{false, true, false, {0xE2}, 0x02, "Programmed LB2"},
                        Case{false, false, false, {0xE0}, 0x00, "Programmed no lock bit"}}) {
    Chip()->SetLockBits(0);
    Chip()->ClearEvents();
    SetBoxes(c.lb1, c.lb2, c.lb3);
    Button("btnLockBits")->click();
    ASSERT_TRUE(Until([&] { return Idle(); }));
    EXPECT_EQ(LockInstructions(), c.instructions) << c.note;
    EXPECT_EQ(Chip()->LockBits(), c.lockBits) << c.note;
    EXPECT_EQ(Boxes(), (std::vector<bool>{c.lb1, c.lb2, c.lb3})) << c.note;
    EXPECT_EQ(Note().rfind(c.note, 0), 0u) << Note();
  }
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(LockBits, ReadingSetsEveryBoxBothWays) {
  Open();
  Chip()->SetLockBits(SimChip::kLB1 | SimChip::kLB3);
  SetBoxes(false, true, false);
  Button("btnLockBits")->click();
  ASSERT_TRUE(Until([&] { return Idle(); }));
  EXPECT_EQ(Boxes(), (std::vector<bool>{true, false, true}));
  EXPECT_EQ(Note(), "Read the lock bits: LB1=1 LB2=0 LB3=1 in 1.8 s");
}

// The device works on the worker's thread: the window goes on handling clicks meanwhile,
// refusing those that would start a second operation.
TEST_F(LockBits, TheWindowStaysLiveWhileTheDeviceWaits) {
  Open();
  clock.HoldAtSleep(1);  // the reset pulse
  Button("btnLockBits")->click();
  ASSERT_TRUE(clock.WaitUntilHeld());
  EXPECT_FALSE(Idle());
  Button("Button1")->click();
  EXPECT_EQ(Note(), "Busy: the lock-bit read is running; wait until it ends");
  clock.Release();
  ASSERT_TRUE(Until([&] { return Idle(); }));
  EXPECT_EQ(Chip()->WrittenBytes().size(), 4u + 12 + 4) << "one operation only";
}

// A failed read leaves the boxes showing that the bits are unknown; an erase clears them.
TEST_F(LockBits, AFailureLeavesThemUnknownAndAnEraseClearsThem) {
  Open();
  SetBoxes(true, false, true);
  Item("COM3")->trigger();
  Button("btnLockBits")->click();
  ASSERT_TRUE(Until([&] { return Idle(); }));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  for (const char* name : {"CheckBox1", "CheckBox2", "CheckBox3"}) {
    EXPECT_EQ(Box(name)->checkState(), Qt::PartiallyChecked) << name;
  }
  Item("COM1")->trigger();
  Chip()->SetLockBits(SimChip::kLB1);
  SetBoxes(true, false, false);
  dialogs.WillConfirm(true);
  Item("itemErase")->trigger();
  ASSERT_TRUE(Until([&] { return Idle(); }));
  EXPECT_EQ(Boxes(), (std::vector<bool>{false, false, false}));
  EXPECT_EQ(Chip()->LockBits(), 0);
}

}  // namespace

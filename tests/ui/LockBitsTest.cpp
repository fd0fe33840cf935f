#include <QApplication>

#include "ui/UiBench.h"
#include "ui/widgets/Formatting.h"
#include "ui/widgets/TStatusBar.h"

namespace {

class LockBits : public UiBench {
 protected:
  // The boxes LB1, LB2 and LB3 as the bits 0, 1 and 2, as the chip's lock bits are counted.
  void SetBoxes(int bits) {
    for (int bit = 0; bit < 3; ++bit) Box(kBoxes[bit])->setChecked(bits & (1 << bit));
  }
  int Boxes() const {
    int bits = 0;
    for (int bit = 0; bit < 3; ++bit) bits |= Box(kBoxes[bit])->isChecked() << bit;
    return bits;
  }
  static constexpr const char* kBoxes[] = {"CheckBox1", "CheckBox2", "CheckBox3"};
  // The second bytes of the Write Lock Bits instructions the chip received, in order.
  std::string LockInstructions() {
    std::vector<uint8_t> written = Chip()->WrittenBytes();
    std::string instructions;
    for (size_t i = 1; i < written.size(); ++i) {
      if (written[i - 1] != 0xAC || (written[i] & 0xFC) != 0xE0) continue;
      instructions += (instructions.empty() ? "" : " ") + IntToHex(written[i], 2);
    }
    return instructions;
  }
};

TEST_F(LockBits, TheWriteBoxSwitchesTheModeAndKeepsTheBoxesStates) {
  Open();
  Box("cbRwLockBits")->click();
  EXPECT_EQ(Button("btnLockBits")->text().toStdString(), "Write &Lock Bits");
  for (const char* name : kBoxes) EXPECT_TRUE(Box(name)->isEnabled()) << name;
  Box("CheckBox2")->click();
  Box("cbRwLockBits")->click();
  EXPECT_EQ(Button("btnLockBits")->text().toStdString(), "Read &Lock Bits");
  EXPECT_FALSE(Box("CheckBox1")->isEnabled());
  EXPECT_EQ(Boxes(), 0b010);
}

// A read sets every box both ways. A write programs every ticked box, one Write Lock Bits
// instruction a bit, LB1 first (LB3: AC E3, lock mode 4); then the bits are read back and the
// boxes show what the chip holds.
TEST_F(LockBits, AReadOrAWriteLeavesTheBoxesShowingWhatTheChipHolds) {
  Open();
  struct Case {
    bool write;
    int ticked;                // the boxes before
    int before, after;         // the chip's lock bits, which the boxes show after
    const char* instructions;  // Write Lock Bits
    const char* note;
  };
  for (const Case& c : {
           Case{false, 0b010, 0b101, 0b101, "", "Read the lock bits: LB1=1 LB2=0 LB3=1 in 1.8 s"},
           Case{true, 0b101, 0, 0b101, "E1 E3",
                "Programmed LB1 and LB3; the chip reads LB1=1 LB2=0 LB3=1 in 1.8 s"},
           Case{true, 0b010, 0, 0b010, "E2",
                "Programmed LB2; the chip reads LB1=0 LB2=1 LB3=0 in 1.8 s"},
           Case{true, 0b000, 0, 0b000, "E0",
                "Programmed no lock bit; the chip reads LB1=0 LB2=0 LB3=0 in 1.8 s"},
       }) {
    if (Box("cbRwLockBits")->isChecked() != c.write) Box("cbRwLockBits")->click();
    Chip()->SetLockBits(c.before);
    Chip()->ClearEvents();
    SetBoxes(c.ticked);
    ASSERT_TRUE(Run("btnLockBits")) << c.note;
    EXPECT_EQ(LockInstructions(), c.instructions) << c.note;
    EXPECT_EQ(Chip()->LockBits(), c.after) << c.note;
    EXPECT_EQ(Boxes(), c.after) << c.note;
    EXPECT_EQ(Note(), c.note);
  }
  EXPECT_TRUE(dialogs.messages.empty());
}

// A failed read leaves the boxes showing that the bits are unknown; an erase clears them.
TEST_F(LockBits, AFailureLeavesThemUnknownAndAnEraseClearsThem) {
  Open();
  SetBoxes(0b101);
  Item("COM3")->trigger();
  ASSERT_TRUE(Run("btnLockBits"));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  for (const char* name : kBoxes) EXPECT_EQ(Box(name)->checkState(), Qt::PartiallyChecked) << name;
  Item("COM1")->trigger();
  Chip()->SetLockBits(SimChip::kLB1);
  SetBoxes(0b001);
  dialogs.WillConfirm(true);
  ASSERT_TRUE(Run("itemErase"));
  EXPECT_EQ(Boxes(), 0);
  EXPECT_EQ(Chip()->LockBits(), 0);
}

}  // namespace

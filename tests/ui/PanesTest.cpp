// The panes beside the controls: the hex view of the image, and the log of what was done.
#include <QDockWidget>

#include "ui/HexView.h"
#include "ui/OperationLog.h"
#include "ui/UiBench.h"

namespace {

class Panes : public UiBench {
 protected:
  HexView* Hex() const { return Find<HexView>("hexView"); }
};

// A verify that finds differences opens the hex view on the first of them: the file's bytes
// on the left, the chip's on the right, the row flagged.
TEST_F(Panes, AFailedVerifyShowsTheChipBesideTheFileAtTheFirstDifference) {
  Open();
  Load("image.bin", Pattern(3));
  EXPECT_TRUE(Find<QDockWidget>("hexDock")->isHidden());
  EXPECT_EQ(Hex()->Row(0x0120).toStdString(),
            "0120  A3 B0 BD CA D7 E4 F1 FE  0B 18 25 32 3F 4C 59 66  ..........%2?LYf");
  std::vector<uint8_t> flash = Bytes(Pattern(3));
  flash[0x0ABC] = 0x41;
  flash[0x0F00] = 0x00;
  Chip()->SetFlash(flash);
  ASSERT_TRUE(Run("itemVerify"));
  EXPECT_FALSE(Find<QDockWidget>("hexDock")->isHidden());
  EXPECT_TRUE(Hex()->Comparing());
  EXPECT_EQ(Hex()->CurrentAddress(), 0x0ABCu);
  EXPECT_EQ(Hex()->Row(0x0AB0).toStdString(),
            "0AB0* F3 00 0D 1A 27 34 41 4E  5B 68 75 82 8F 9C A9 B6  ....'4AN[hu.....  |  "
            "F3 00 0D 1A 27 34 41 4E  5B 68 75 82 41 9C A9 B6  ....'4AN[hu.A...");
  EXPECT_EQ(Hex()->Row(0x0AC0).mid(4, 1).toStdString(), " ");
  EXPECT_NE(Hex()->Caption().toStdString().find("2 bytes differ, the first at 0ABC"),
            std::string::npos)
      << Hex()->Caption().toStdString();
}

// Each operation and each file loaded gets a row: when, where, on what, how it ended, how long.
TEST_F(Panes, TheLogKeepsEveryOperation) {
  Open();
  const std::string path = Load("image.bin", Pattern(2));
  ASSERT_TRUE(Run("btnProgram"));
  Item("COM3")->trigger();
  ASSERT_TRUE(Run("btnReadSig"));
  auto* log = Find<OperationLog>("operationLog");
  ASSERT_EQ(log->rowCount(), 3);
  // The time of day each began, then the rest.
  std::vector<std::string> rows;
  for (int row = 0; row < 3; ++row) {
    const std::string text = log->RowText(row).toStdString();
    EXPECT_EQ(text.substr(2, 1) + text.substr(5, 1), "::") << text;
    rows.push_back(text.substr(8));
  }
  EXPECT_EQ(rows, (std::vector<std::string>{
                      " |  |  | image.bin | Loaded " + path + " | ",
                      " | COM1 | AT89S51 | image.bin | Wrote image.bin to the AT89S51: 16 pages "
                      "written, not verified | 12.0 s",
                      " | COM3 | AT89S51 |  | The signature read failed after 0.0 s | 0.0 s"}));
}

}  // namespace

// Every command of isp89-cli once on the simulated FTDI chip, as on the simulated serial
// adapter, in process on virtual time: the chip it leaves, and the options of the FTDI link.
#include <gmock/gmock.h>

#include "cli/CliFixture.h"

namespace {

using ::testing::_;
using ::testing::HasSubstr;

class CliFtdi : public CliFixture {
 protected:
  std::shared_ptr<SimChip> FtdiChip() {
    return resolver_.SimFtdiChipFor("sim-ftdi:AT89S52")->Target()->Chip();
  }
};

// In turn, each on what the one before left: write, verify, read, signature, the lock bits,
// erase; `flash` and `lockBits` are the chip's after the command.
TEST_F(CliFtdi, EachCommandDoesOnTheFtdiChipWhatItDoesOnTheSerialAdapter) {
  const std::vector<uint8_t> image = Pattern(11);
  ScratchFolder::Write("image.bin", image);
  const std::vector<uint8_t> erased(8192, 0xFF);
  const struct {
    std::string line, out;
    std::vector<uint8_t> flash;
    uint8_t lockBits;
  } steps[] = {
      {"write image.bin", "wrote image.bin to the AT89S52: 32 pages written, 32 pages verified\n",
       image, 0},
      {"verify image.bin", "image.bin matches the AT89S52's flash (8192 bytes)\n", image, 0},
      {"read back.bin", "read 8192 bytes from the AT89S52 into back.bin\n", image, 0},
      {"signature", "signature 1E 52 06: AT89S52\n", image, 0},
      {"lock --write 1", "LB1=1 LB2=0 LB3=0\n", image, 1},
      {"lock", "LB1=1 LB2=0 LB3=0\n", image, 1},
      {"erase", "erased the AT89S52 (blank check passed)\n", erased, 0},
  };
  for (const std::string port : {"sim:AT89S52", "sim-ftdi:AT89S52"}) {
    const std::shared_ptr<SimChip> chip = port == "sim:AT89S52" ? Chip() : FtdiChip();
    for (const auto& step : steps) {
      Expect("-p " + port + " " + step.line, 0, step.out, _);
      EXPECT_EQ(chip->Flash(), step.flash) << port << " " << step.line;
      EXPECT_EQ(chip->LockBits(), step.lockBits) << port << " " << step.line;
    }
    EXPECT_EQ(ScratchFolder::Read("back.bin"), image) << port;
  }
  EXPECT_TRUE(resolver_.SimFtdiChipFor("sim-ftdi:AT89S52")->Target()->Faults().empty());
}

// --crystal sets how fast SCK may run, --pins where the wires are: a crystal named faster
// than the target's breaks its timing, a wiring other than the board's finds no target.
TEST_F(CliFtdi, TheLinksOptionsReachTheChip) {
  SimFtdiPorts::Options board;
  board.family = FtdiFamily::Kind::FT232H;
  board.crystalHz = 3e6;
  board.wiring = {5, 6, 7, 4};  // SCK D5, MOSI D6, MISO D7, RST D4
  resolver_.SetSimFtdiOptions(board);
  const std::string pins = "--pins SCK=D5,MOSI=D6,MISO=D7,RST=DTR";
  const struct {
    std::string options;
    int status;
    std::string err;
  } cases[] = {
      {pins, 0, ""},
      {pins + " --crystal 3", 0, ""},
      {"", 1, "the target did not enter programming mode (expected 69, got FF)"},
      {pins + " --crystal 20", 1, "the target did not enter programming mode"},
      {"--crystal 2", 2, "--crystal takes the target's clock in MHz, 3 to 33"},
      {"--pins SCK=D5,MOSI=D5", 2, "--pins: D5 is given two signals"},
  };
  for (const auto& c : cases) {
    Expect("-p sim-ftdi:AT89S51 " + c.options + " signature", c.status, _, HasSubstr(c.err));
  }
}

TEST_F(CliFtdi, ANameOfNoChipIsAUsageError) {
  Expect("-p sim-ftdi:AT89C2051 signature", 2, _,
         HasSubstr("'sim-ftdi:AT89C2051' is no simulated FTDI chip"));
}

}  // namespace

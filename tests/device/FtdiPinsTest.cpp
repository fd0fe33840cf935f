// The FTDI wiring as the user writes it with --pins.
#include "device/FtdiPins.h"

#include <gtest/gtest.h>

#include "platform/Exception.h"

namespace {

TEST(FtdiPins, WiringIsReadByPinOrUartName) {
  const struct {
    std::string text;
    std::string wiring;  // as Text() gives it, or the failure
  } cases[] = {
      {"", "SCK=D3,MOSI=D0,MISO=D1,RST=D2"},
      {"SCK=D3,MOSI=D0,MISO=D1,RST=D2", "SCK=D3,MOSI=D0,MISO=D1,RST=D2"},
      {"rst=DTR,sck=d5,mosi=TXD,miso=cts#", "SCK=D5,MOSI=D0,MISO=D3,RST=D4"},
      {"RST=D7", "SCK=D3,MOSI=D0,MISO=D1,RST=D7"},
      {"SCK=D8", "--pins: 'D8' is no pin"},
      {"CLK=D3", "--pins: 'CLK' is no signal: SCK, MOSI, MISO, RST"},
      {"SCK=D3,SCK=D4", "--pins: SCK is given twice"},
      {"SCK=D0", "--pins: D0 is given two signals"},
      {"SCK", "--pins: 'SCK' is not SIGNAL=PIN"},
  };
  for (const auto& c : cases) {
    std::string got;
    try {
      got = FtdiPins::Parse(c.text).Text();
    } catch (const Exception& e) {
      got = e.what();
      got = got.substr(0, got.find(" (write"));
    }
    EXPECT_EQ(got, c.wiring) << c.text;
  }
  EXPECT_EQ(FtdiPins().Outputs(), 0x0D);
}

}  // namespace

// The one hexadecimal formatter, the one port-name parser and the escaping of messages.
#include <gtest/gtest.h>

#include "platform/ControlEscapes.h"
#include "platform/HexText.h"
#include "platform/PortName.h"

namespace {

TEST(HexText, PadsToTheDigitsAskedAndGrowsPastThem) {
  struct Case {
    uint32_t value;
    int digits;
    const char* text;
  } cases[] = {
      {0x1E, 2, "1E"},   {0x05, 2, "05"},     {0, 2, "00"},
      {0xAB, 4, "00AB"}, {0x1234, 2, "1234"}, {0xFFFFFFFF, 4, "FFFFFFFF"},
      {0x7, 0, "7"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.text, Hex(c.value, c.digits)) << c.text;
}

TEST(ControlEscapes, ControlCharactersAreShownNotObeyed) {
  struct Case {
    std::string text, shown;
  } cases[] = {
      {"plain /dev/ttyUSB0", "plain /dev/ttyUSB0"},
      {"Sériový port COM3", "Sériový port COM3"},   // UTF-8 letters pass
      {"a\nb\rc\td", "a\\nb\\rc\\td"},              // line structure cannot be forged
      {"\x1b[2J\x07", "\\x1B[2J\\x07"},             // ESC and BEL
      {std::string("nul\0end", 7), "nul\\x00end"},  // NUL does not cut the message
      {"del\x7f", "del\\x7F"},
      {"c1 \xc2\x9b"
       "31m",
       "c1 \\xC2\\x9B31m"},       // U+009B, the 8-bit CSI
      {"cut \xc3", "cut \\xC3"},  // a sequence cut short
      {"overlong \xc0\xaf", "overlong \\xC0\\xAF"},
      {"nbsp\xc2\xa0ok", "nbsp\xc2\xa0ok"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.shown, EscapeControlCharacters(c.text)) << c.shown;
}

TEST(PortNameParse, EachFormHasItsKind) {
  using Kind = PortName::Kind;
  struct Case {
    std::string text;
    Kind kind;
    int number;
    uint16_t vendor, product;
  } cases[] = {
      {"COM3", Kind::Com, 3, 0, 0},
      {"com12", Kind::Com, 12, 0, 0},
      {"7", Kind::Com, 7, 0, 0},
      {"COM256", Kind::Com, 256, 0, 0},
      {"COM0", Kind::Invalid, 0, 0, 0},
      {"COM257", Kind::Invalid, 0, 0, 0},
      {"0", Kind::Invalid, 0, 0, 0},
      {"", Kind::Invalid, 0, 0, 0},
      {"/dev/ttyUSB0", Kind::Path, 0, 0, 0},
      {"\\\\.\\COM3", Kind::Path, 0, 0, 0},
      {"usb:0403:6001", Kind::UsbId, 0, 0x0403, 0x6001},
      {"USB:1a86:7523", Kind::UsbId, 0, 0x1A86, 0x7523},
      {"usb:0403", Kind::Invalid, 0, 0, 0},
      {"usb:04030:6001", Kind::Invalid, 0, 0, 0},
      {"A50285BI", Kind::Word, 0, 0, 0},
      {"1234567", Kind::Word, 0, 0, 0},  // too long for a port number: a serial number
      {"sim:AT89S52", Kind::Word, 0, 0, 0},
      {"two words", Kind::Invalid, 0, 0, 0},
  };
  for (const Case& c : cases) {
    PortName name = PortName::Parse(c.text);
    EXPECT_EQ(c.kind, name.kind) << c.text;
    EXPECT_EQ(c.number, name.number) << c.text;
    EXPECT_EQ(c.vendor, name.vendorId) << c.text;
    EXPECT_EQ(c.product, name.productId) << c.text;
  }
}

// An FTDI chip by its serial number or ids, each with an interface letter or none.
TEST(PortNameParse, FtdiNamesPickAChipAndAnInterface) {
  using Kind = PortName::Kind;
  const struct {
    std::string text;
    Kind kind;
    std::string serial;
    uint16_t vendor, product;
    int interfaceIndex;
  } cases[] = {
      {"ftdi", Kind::Ftdi, "", 0, 0, 0},
      {"FTDI:B", Kind::Ftdi, "", 0, 0, 1},
      {"ftdi:A50285BI", Kind::Ftdi, "A50285BI", 0, 0, 0},
      {"ftdi:FT4ABC:b", Kind::Ftdi, "FT4ABC", 0, 0, 1},
      {"ftdi:0403:6010", Kind::Ftdi, "", 0x0403, 0x6010, 0},
      {"ftdi:0403:6010:D", Kind::Ftdi, "", 0x0403, 0x6010, 3},
      {"ftdi:0403:60100", Kind::Invalid, "", 0, 0, 0},
      {"ftdi:a-b", Kind::Invalid, "", 0, 0, 0},
      {"ftdix", Kind::Word, "", 0, 0, 0},
  };
  for (const auto& c : cases) {
    const PortName name = PortName::Parse(c.text);
    EXPECT_EQ(name.kind, c.kind) << c.text;
    if (c.kind != Kind::Ftdi) continue;
    EXPECT_EQ(name.serialNumber, c.serial) << c.text;
    EXPECT_EQ(name.vendorId, c.vendor) << c.text;
    EXPECT_EQ(name.productId, c.product) << c.text;
    EXPECT_EQ(name.interfaceIndex, c.interfaceIndex) << c.text;
  }
}

}  // namespace

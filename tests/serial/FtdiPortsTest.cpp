// FTDI chips by name: which chip and interface a name picks, what it resolves to, and why an
// opening fails, on a made-up bus.
#include "serial/FtdiPorts.h"

#include <gtest/gtest.h>

#include "serial/PortResolver.h"

namespace {

using Cause = PortOpenFailure::Cause;
using Kind = FtdiFamily::Kind;

FtdiChipInfo Chip(const std::string& serial, uint16_t product, Kind family) {
  FtdiChipInfo chip;
  chip.vendorId = 0x0403;
  chip.productId = product;
  chip.serialNumber = serial;
  chip.family = &FtdiFamily::Of(family);
  return chip;
}

std::vector<FtdiChipInfo> Bench() {
  return {Chip("A50285BI", 0x6001, Kind::FT232R), Chip("FT2X", 0x6010, Kind::FT2232H),
          Chip("BM1", 0x6001, Kind::Unsupported)};
}

TEST(FtdiPorts, ANamePicksOneChipOrSaysWhy) {
  const struct {
    std::string name;
    std::vector<FtdiChipInfo> chips;
    std::string opened;  // serial:interface, or empty when refused
    Cause cause;
    std::string reason;
  } cases[] = {
      {"ftdi:A50285BI", Bench(), "A50285BI:0", Cause::Other, ""},
      {"ftdi:FT2X:B", Bench(), "FT2X:1", Cause::Other, ""},
      {"ftdi:0403:6010", Bench(), "FT2X:0", Cause::Other, ""},
      {"ftdi", {Chip("A50285BI", 0x6001, Kind::FT232R)}, "A50285BI:0", Cause::Other, ""},
      {"ftdi", Bench(), "", Cause::SeveralUsbMatch,
       "3 FTDI chips are attached: ftdi:A50285BI (FT232R, 0403:6001), ftdi:FT2X (FT2232H, "
       "0403:6010), ftdi:BM1 (FTDI chip without synchronous bit-bang, 0403:6001)"},
      {"ftdi:0403:6001", Bench(), "", Cause::SeveralUsbMatch, ""},
      {"ftdi", {}, "", Cause::NoUsbMatch, "no FTDI chip is attached"},
      {"ftdi:B7", Bench(), "", Cause::NoUsbMatch, "no FTDI chip has the serial number 'B7'"},
      {"ftdi:A50285BI:B", Bench(), "", Cause::UnknownName, "the FT232R has no interface B"},
      {"ftdi:BM1", Bench(), "", Cause::Other,
       "this FTDI chip has no synchronous bit-bang mode (the FT232R, FT2232C/D, FT2232H, "
       "FT4232H and FT232H have)"},
  };
  for (const auto& c : cases) {
    std::string opened;  // nothing real opens: the chip and interface asked for
    FtdiPorts ports([&] { return c.chips; },
                    [&](const FtdiChipInfo& chip, int interfaceIndex, PortOpenFailure&) {
                      opened = chip.serialNumber + ":" + std::to_string(interfaceIndex);
                      return std::unique_ptr<FtdiDevice>();
                    });
    PortOpenFailure failure;
    ports.Open(PortName::Parse(c.name), failure);
    EXPECT_EQ(opened, c.opened) << c.name;
    if (c.opened.empty()) {
      EXPECT_EQ(failure.cause, c.cause) << c.name;
      if (!c.reason.empty()) {
        EXPECT_EQ(failure.reason.substr(0, c.reason.size()), c.reason) << c.name;
      }
    }
  }
}

// The resolver: an FTDI name is no serial port, COMn may name one, and two names of one
// chip resolve alike.
TEST(FtdiPorts, TheResolverTellsFtdiChipsFromSerialPorts) {
  PortResolver resolver([] { return std::vector<SystemPort>(); },
                        FtdiPorts([] { return Bench(); }));
  setenv("ISP89_COM7", "ftdi:0403:6010:B", 1);
  EXPECT_TRUE(resolver.LeadsToFtdi("COM7"));
  EXPECT_TRUE(resolver.LeadsToFtdi("ftdi"));
  EXPECT_FALSE(resolver.LeadsToFtdi("/dev/ttyUSB0"));
  EXPECT_EQ(resolver.Resolve("COM7"), "ftdi:FT2X:B");
  EXPECT_EQ(resolver.Resolve("ftdi:FT2X:b"), "ftdi:FT2X:B");
  EXPECT_EQ(resolver.Describe("ftdi:A50285BI"), "FTDI FT232R (ftdi:A50285BI)");
  EXPECT_EQ(resolver.Check("ftdi:1:2:3:4"),
            "'ftdi:1:2:3:4' names no FTDI chip: ftdi, ftdi:SERIAL or ftdi:VID:PID, each "
            "optionally followed by :A ... :D for the interface");
  PortOpenFailure failure;
  EXPECT_EQ(resolver.Open("COM7", failure), nullptr);
  EXPECT_EQ(failure.cause, Cause::NotSerial);
  unsetenv("ISP89_COM7");
}

}  // namespace

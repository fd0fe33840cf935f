// The port list of `isp89-cli ports`, and ports chosen by their USB serial number.
#include <cstdlib>

#include "CliFixture.h"
#include "cli/PortListing.h"
#include "platform/Exception.h"
#include "platform/SystemClock.h"
#include "sim/PtySimServer.h"

namespace {

SystemPort Port(const std::string& name, SystemPort::Transport transport,
                const std::string& description) {
  SystemPort port;
  port.name = name;
  port.transport = transport;
  port.description = description;
  return port;
}

SystemPort Ftdi(const std::string& name, const std::string& serial) {
  SystemPort port = Port(name, SystemPort::Transport::Usb, "FT232R USB UART");
  port.manufacturer = "FTDI";
  port.product = "FT232R USB UART";
  port.serialNumber = serial;
  port.vendorId = 0x0403;
  port.productId = 0x6001;
  return port;
}

}  // namespace

TEST(PortListingWhat, EachPortSaysWhatItIs) {
  using T = SystemPort::Transport;
  SystemPort windowsUsb = Port("COM5", T::Usb, "USB Serial Port (COM5)");
  windowsUsb.vendorId = 0x1A86;
  windowsUsb.productId = 0x7523;
  SystemPort hostile = Ftdi("/dev/ttyUSB1", "X1");
  hostile.product = "UART\x1b[2J";
  struct Case {
    SystemPort port;
    std::string what;
  } cases[] = {
      {Ftdi("/dev/ttyUSB0", "A50285BI"), "USB: FTDI FT232R USB UART, serial A50285BI, 0403:6001"},
      {windowsUsb, "USB: USB Serial Port (COM5), 1A86:7523"},
      {Port("/dev/ttyS0", T::Native, "ttyS0"), "serial port"},
      {Port("COM1", T::Native, "Communications Port (COM1)"),
       "serial port: Communications Port (COM1)"},
      {Port("/dev/rfcomm0", T::Bluetooth, "rfcomm0"), "Bluetooth serial port"},
      {Port("/dev/ttyUSB2", T::Usb, ""), "USB"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.what, PortListing::What(c.port)) << c.port.name;
  // Descriptor strings come from the device: they are shown, never obeyed.
  EXPECT_EQ("/dev/ttyUSB1  -  USB: FTDI UART\\x1B[2J, serial X1, 0403:6001\n",
            PortListing::Format({{"/dev/ttyUSB1", {}, PortListing::What(hostile), true}}));
}

TEST(PortListingFormat, OneLineAPortAndASayWhenTheSystemHasNone) {
  using Entry = PortListing::Entry;
  struct Case {
    std::vector<Entry> entries;
    std::string text;
  } cases[] = {
      {{}, "no serial ports found\n"},
      {{{"/dev/ttyS0", {"COM1"}, "serial port", true},
        {"/dev/ttyUSB0", {"COM3", "COM4"}, "USB: FTDI", true}},
       "/dev/ttyS0    COM1       serial port\n"
       "/dev/ttyUSB0  COM3,COM4  USB: FTDI\n"},
      {{{"sim:AT89S51", {"COM1"}, "simulated AT89S51 (sim:AT89S51)", false}},
       "no serial ports found\n"
       "sim:AT89S51  COM1  simulated AT89S51 (sim:AT89S51)\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.text, PortListing::Format(c.entries));
}

#ifndef _WIN32
// A pseudo-terminal (isp89-sim serves on one) that ISP89_COM2 names is listed as what it is,
// never as a USB adapter.
TEST(PortListingCollect, PortsNamedByTheEnvironmentAreListedAsWhatTheyAre) {
  VirtualClock clock;
  PtySimServer server(std::make_shared<SimChip>(SimChip::Model::AT89S52, clock));
  SimPortResolver resolver(clock,
                           [] { return std::vector<SystemPort>{Ftdi("/dev/ttyUSB0", "A5")}; });
  setenv("ISP89_COM2", server.SlavePath().c_str(), 1);
  setenv("ISP89_COM3", "sim:at89s52", 1);
  setenv("ISP89_COM4", "/dev/ttyUSB0", 1);
  const std::string text = PortListing::Format(PortListing::Collect(resolver));
  for (const char* variable : {"ISP89_COM2", "ISP89_COM3", "ISP89_COM4"}) unsetenv(variable);
  EXPECT_EQ(0u, text.find("/dev/ttyUSB0 ")) << text;
  EXPECT_NE(std::string::npos, text.find("COM4")) << text;
  const size_t pty = text.find(server.SlavePath());
  ASSERT_NE(std::string::npos, pty) << text;
  const std::string ptyLine = text.substr(pty, text.find('\n', pty) - pty);
  EXPECT_NE(std::string::npos, ptyLine.find(" COM2 ")) << ptyLine;
  EXPECT_NE(std::string::npos, ptyLine.find("pseudo-terminal")) << ptyLine;
  EXPECT_EQ(std::string::npos, ptyLine.find("USB")) << ptyLine;
  const size_t sim = text.find("\nsim:AT89S52 ");
  ASSERT_NE(std::string::npos, sim) << text;
  const std::string simLine = text.substr(sim + 1, text.find('\n', sim + 1) - sim - 1);
  EXPECT_NE(std::string::npos, simLine.find(" COM3 ")) << simLine;
  EXPECT_NE(std::string::npos, simLine.find("simulated AT89S52 (sim:AT89S52)")) << simLine;
}

// The adapter is chosen by its USB serial number or ids, whatever device name it got; here
// the "adapter" the list reports is isp89's simulated chip on a pseudo-terminal.
TEST(UsbPortChoiceCli, AnAdapterIsFoundByItsSerialNumberOrIds) {
  auto chip = std::make_shared<SimChip>(SimChip::Model::AT89S52, SystemClock::Instance());
  PtySimServer server(chip);
  const SystemPort adapter = Ftdi(server.SlavePath(), "A50285BI");
  SimPortResolver resolver(SystemClock::Instance(),
                           [adapter] { return std::vector<SystemPort>{adapter}; });
  CliApp app(resolver, SystemClock::Instance());
  for (const char* port : {"A50285BI", "usb:0403:6001"}) {
    std::ostringstream out, err;
    EXPECT_EQ(0, app.Run({"-p", port, "signature"}, out, err, false)) << err.str();
    EXPECT_EQ("signature 1E 52 06: AT89S52\n", out.str()) << port;
  }
  std::ostringstream out, err;
  EXPECT_EQ(1, app.Run({"-p", "B7", "signature"}, out, err, false));
  EXPECT_EQ(
      "isp89-cli: cannot open B7: no serial port has the USB serial number 'B7' (the USB "
      "serial ports: " +
          server.SlavePath() + " (serial A50285BI, 0403:6001))\n",
      err.str());
}
#endif

namespace {

FtdiChipInfo FtdiChipOf(const std::string& serial, FtdiFamily::Kind family) {
  FtdiChipInfo chip;
  chip.vendorId = 0x0403;
  chip.productId = family == FtdiFamily::Kind::FT232R ? 0x6001 : 0x6010;
  chip.description = "USB <-> Serial";
  chip.serialNumber = serial;
  chip.family = &FtdiFamily::Of(family);
  return chip;
}

}  // namespace

// FTDI chips follow the serial ports, one line for each interface; a USB bus that cannot be
// searched says so and the serial ports are listed all the same.
TEST(PortListingFtdi, EachInterfaceOfEachChipHasALine) {
  const auto serial = [] {
    return std::vector<SystemPort>{Port("/dev/ttyUSB3", SystemPort::Transport::Native, "ttyUSB3")};
  };
  PortResolver chips(serial, FtdiPorts([] {
                       return std::vector<FtdiChipInfo>{
                           FtdiChipOf("A5", FtdiFamily::Kind::FT232R),
                           FtdiChipOf("FT2X", FtdiFamily::Kind::FT2232H)};
                     }));
  EXPECT_EQ(PortListing::Format(PortListing::Collect(chips)),
            "/dev/ttyUSB3  -  serial port\n"
            "ftdi:A5       -  FTDI USB <-> Serial, serial A5, 0403:6001: FT232R bit-bang\n"
            "ftdi:FT2X     -  FTDI USB <-> Serial, serial FT2X, 0403:6010: FT2232H bit-bang\n"
            "ftdi:FT2X:B   -  FTDI USB <-> Serial, serial FT2X, 0403:6010: FT2232H bit-bang\n");
  PortResolver broken(serial, FtdiPorts([]() -> std::vector<FtdiChipInfo> {
                        throw Exception("cannot search USB for FTDI chips: no USB here");
                      }));
  EXPECT_EQ(PortListing::Format(PortListing::Collect(broken)),
            "/dev/ttyUSB3  -  serial port\n"
            "ftdi          -  cannot search USB for FTDI chips: no USB here\n");
}

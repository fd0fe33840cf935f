// What port names lead to: the environment's COM names, targets, USB serial numbers and ids.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/NativePort.h"
#include "serial/PortResolver.h"

namespace {

SystemPort Usb(const std::string& name, const std::string& serial, int vendor, int product) {
  SystemPort port;
  port.name = name;
  port.transport = SystemPort::Transport::Usb;
  port.serialNumber = serial;
  port.vendorId = vendor;
  port.productId = product;
  return port;
}

std::vector<SystemPort> Workshop() {
  SystemPort onBoard;
  onBoard.name = "/dev/ttyS0";
  onBoard.transport = SystemPort::Transport::Native;
  return {Usb("/dev/ttyUSB0", "A50285BI", 0x0403, 0x6001),
          Usb("/dev/ttyUSB1", "B7", 0x0403, 0x6001), Usb("/dev/ttyACM0", "", 0x2341, 0x0043),
          onBoard};
}

TEST(UsbPortChoice, OnePortMatchesOrTheCandidatesAreNamed) {
  using Cause = PortOpenFailure::Cause;
  const std::vector<SystemPort> none;
  struct Case {
    std::string wanted;
    const std::vector<SystemPort>& ports;
    std::string chosen;
    Cause cause;
    std::string reason;
  } cases[] = {
      {"A50285BI", Workshop(), "/dev/ttyUSB0", Cause::Other, ""},
      {"a50285bi", Workshop(), "/dev/ttyUSB0", Cause::Other, ""},
      {"usb:2341:0043", Workshop(), "/dev/ttyACM0", Cause::Other, ""},
      {"usb:0403:6001", Workshop(), "", Cause::SeveralUsbMatch,
       "2 serial ports have usb:0403:6001: /dev/ttyUSB0 (serial A50285BI, 0403:6001), "
       "/dev/ttyUSB1 (serial B7, 0403:6001)"},
      {"C9", Workshop(), "", Cause::NoUsbMatch,
       "no serial port has the USB serial number 'C9' (the USB serial ports: /dev/ttyUSB0 "
       "(serial A50285BI, 0403:6001), /dev/ttyUSB1 (serial B7, 0403:6001), /dev/ttyACM0 "
       "(2341:0043))"},
      {"usb:10c4:ea60", none, "", Cause::NoUsbMatch,
       "no serial port has usb:10c4:ea60 (no USB serial adapter is connected)"},
  };
  for (const Case& c : cases) {
    PortOpenFailure failure;
    const SystemPort* chosen =
        PortResolver::ChooseUsbPort(c.ports, PortName::Parse(c.wanted), failure);
    EXPECT_EQ(c.chosen, chosen ? chosen->name : "") << c.wanted;
    EXPECT_EQ(c.cause, failure.cause) << c.wanted;
    EXPECT_EQ(c.reason, failure.reason) << c.wanted;
  }
}

// A target of the test's own: "fake", "fake:X".
class FakeTarget : public PortTarget {
 public:
  bool Claims(const std::string& name) const override { return name.compare(0, 4, "fake") == 0; }
  std::string Check(const std::string& name) const override {
    return name == "fake" || name == "fake:X" ? "" : "no such fake";
  }
  std::string Canonical(const std::string&) const override { return "fake:X"; }
  std::string Describe(const std::string& name) const override { return "the fake " + name; }
  std::unique_ptr<CommPort> Open(const std::string&, PortOpenFailure& failure) override {
    failure.reason = "fakes do not open";
    return nullptr;
  }
};

TEST(PortResolution, NamesLeadToDevicesTargetsAndUsbPorts) {
  FakeTarget fake;
  PortResolver resolver([] { return Workshop(); });
  resolver.AddTarget(fake);
  unsetenv("ISP89_COM7");
  setenv("ISP89_COM3", "COM12", 1);
  setenv("ISP89_COM4", "fake", 1);
  setenv("ISP89_COM5", "B7", 1);
  struct Case {
    std::string name, resolved;
  } cases[] = {
      {"COM7", DefaultNativePortPath(7)},
      {"COM3", "COM12"},
      {"COM4", "fake:X"},
      {"COM5", "/dev/ttyUSB1"},
      {"fake", "fake:X"},
      {"/dev/ttyACM3", "/dev/ttyACM3"},
      {"A50285BI", "/dev/ttyUSB0"},
      {"usb:2341:43", "/dev/ttyACM0"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.resolved, resolver.Resolve(c.name)) << c.name;
  EXPECT_EQ("the fake fake:X", resolver.Describe("COM4"));
  EXPECT_EQ("", resolver.Check("fake:X"));
  EXPECT_EQ("no such fake", resolver.Check("fake:Y"));
  EXPECT_EQ("'COM0' is no port name", resolver.Check("COM0"));
  EXPECT_EQ("", resolver.Check("A50285BI"));
  EXPECT_EQ(
      "ISP89_COM3 is 'COM12': an environment variable cannot name another COM port; name "
      "its device (" +
          DefaultNativePortPath(12) + ") or use COM12 itself",
      resolver.Check("COM3"));
  EXPECT_EQ("", resolver.Check("COM7"));
  for (const char* variable : {"ISP89_COM3", "ISP89_COM4", "ISP89_COM5"}) unsetenv(variable);
}

TEST(PortResolution, AFailureNamesThePortAsGivenAndWhereItLed) {
  FakeTarget fake;
  SystemPort gone = Usb("/tmp/isp89-no-such-folder/ttyUSB0", "A50285BI", 0x0403, 0x6001);
  PortResolver resolver([gone] { return std::vector<SystemPort>{gone}; });
  resolver.AddTarget(fake);
  setenv("ISP89_COM4", "fake", 1);
  using Cause = PortOpenFailure::Cause;
  struct Case {
    std::string name, start;
    Cause cause;
    std::string listedPath;
  } cases[] = {
      {"A50285BI", "cannot open A50285BI (/tmp/isp89-no-such-folder/ttyUSB0): ", Cause::NoDevice,
       ""},
      {"COM4", "cannot open COM4 (fake:X, from ISP89_COM4): fakes do not open", Cause::Other, ""},
      {"fake:Y", "cannot open fake:Y: no such fake", Cause::UnknownName, ""},
      // The word is the file name of a listed port: that path was probably meant.
      {"ttyUSB0", "cannot open ttyUSB0: no serial port has the USB serial number 'ttyUSB0'",
       Cause::NoUsbMatch, "/tmp/isp89-no-such-folder/ttyUSB0"},
  };
  for (const Case& c : cases) {
    PortOpenFailure failure;
    EXPECT_EQ(nullptr, resolver.Open(c.name, failure));
    EXPECT_EQ(0u, failure.Summary().find(c.start)) << failure.Summary();
    EXPECT_EQ(c.cause, failure.cause) << c.name;
    EXPECT_EQ(c.name, failure.name);
    EXPECT_EQ(c.listedPath, failure.listedPath) << c.name;
  }
  unsetenv("ISP89_COM4");
}

TEST(PortResolution, ComNamesOfADeviceFollowTheEnvironment) {
  PortResolver resolver([] { return std::vector<SystemPort>{}; });
  unsetenv("ISP89_COM2");
  setenv("ISP89_COM6", "/dev/ttyUSB4", 1);
  setenv("ISP89_COM9", "/dev/ttyUSB4", 1);
  EXPECT_EQ((std::vector<std::string>{"COM6", "COM9"}), resolver.ComNamesOf("/dev/ttyUSB4"));
  EXPECT_EQ(std::vector<std::string>{"COM2"}, resolver.ComNamesOf(DefaultNativePortPath(2)));
  unsetenv("ISP89_COM6");
  unsetenv("ISP89_COM9");
}

}  // namespace

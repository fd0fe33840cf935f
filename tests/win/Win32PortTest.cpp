// The Win32 serial backend on a port with a simulated adapter behind it: under Wine, COM2 of
// the test prefix leads to the pseudo-terminal of a Linux isp89-sim (AT89S52).

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

#include "device/AT89S52.h"
#include "platform/NativePort.h"
#include "platform/SystemClock.h"
#include "serial/TSerial.h"
#include "sim/SimPortResolver.h"

namespace {

// Wine's serial driver works on the Linux terminal below it, which keeps neither the
// abort-on-error flag nor a share mode: what only a Windows driver does is checked there only.
bool RunningOnWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The port named by ISP89_WIN_TEST_PORT ("COM2"); the test build sets it for this program.
class Win32Port : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* port = std::getenv("ISP89_WIN_TEST_PORT");
    if (port == nullptr || *port == '\0') {
      GTEST_SKIP() << "set ISP89_WIN_TEST_PORT to a COM port with an adapter (or isp89-sim) on it";
    }
    name_ = port;
  }

  std::unique_ptr<CommPort> OpenPort() {
    NativeOpenFailure failure;
    std::unique_ptr<CommPort> port = OpenNativePort(name_, failure);
    EXPECT_NE(nullptr, port) << failure.reason;
    return port;
  }

  static void SetReadTimeout(CommPort& port, uint32_t ms) {
    CommTimeouts timeouts;
    ASSERT_TRUE(port.GetTimeouts(timeouts));
    timeouts.readTotalTimeoutConstant = ms;
    ASSERT_TRUE(port.SetTimeouts(timeouts));
  }

  std::string name_;
};

}  // namespace

TEST_F(Win32Port, LineSettingsAndTimeoutsReachTheDriver) {
  std::unique_ptr<CommPort> port = OpenPort();
  ASSERT_NE(nullptr, port);
  LineSettings settings;
  ASSERT_TRUE(port->GetState(settings));
  settings.baudRate = 4800;
  settings.byteSize = 8;
  settings.parity = LineSettings::kNoParity;
  settings.stopBits = LineSettings::kOneStopBit;
  settings.abortOnError = true;
  ASSERT_TRUE(port->SetState(settings));
  LineSettings held;
  ASSERT_TRUE(port->GetState(held));
  EXPECT_EQ(4800u, held.baudRate);
  EXPECT_EQ(8, held.byteSize);
  EXPECT_EQ(LineSettings::kNoParity, held.parity);
  EXPECT_EQ(LineSettings::kOneStopBit, held.stopBits);
  if (!RunningOnWine()) {
    EXPECT_TRUE(held.abortOnError);
  }

  CommTimeouts timeouts;
  ASSERT_TRUE(port->GetTimeouts(timeouts));
  timeouts.readTotalTimeoutConstant = 100;
  timeouts.writeTotalTimeoutMultiplier = 200;
  timeouts.writeTotalTimeoutConstant = 200;
  ASSERT_TRUE(port->SetTimeouts(timeouts));
  CommTimeouts back;
  ASSERT_TRUE(port->GetTimeouts(back));
  EXPECT_EQ(100u, back.readTotalTimeoutConstant);
  EXPECT_EQ(200u, back.writeTotalTimeoutMultiplier);
  EXPECT_EQ(200u, back.writeTotalTimeoutConstant);
}

TEST_F(Win32Port, IsHeldExclusively) {
  if (RunningOnWine()) GTEST_SKIP() << "Wine lets a second program open a serial port";
  std::unique_ptr<CommPort> first = OpenPort();
  ASSERT_NE(nullptr, first);
  PortOpenFailure failure;
  PortResolver resolver;
  EXPECT_EQ(nullptr, resolver.Open(name_, failure));
  EXPECT_EQ(PortOpenFailure::Cause::InUse, failure.cause) << failure.Summary();
  first.reset();
  EXPECT_NE(nullptr, OpenPort()) << "the port stays taken after it was closed";
}

TEST_F(Win32Port, ReadWithNothingToReadWaitsTheTimeoutAndLeavesTheByte) {
  std::unique_ptr<CommPort> port = OpenPort();
  ASSERT_NE(nullptr, port);
  SetReadTimeout(*port, 100);
  uint8_t byte = 0x5A;
  const auto start = SystemClock::Instance().Now();
  EXPECT_EQ(IoResult::Outcome::TimedOut, port->ReadByte(&byte).What());
  const auto waited = SystemClock::Instance().Now() - start;
  EXPECT_EQ(0x5A, byte);
  EXPECT_GE(waited, std::chrono::milliseconds(90));
  EXPECT_LT(waited, std::chrono::milliseconds(1000));
}

// An answer that came after the last program stopped reading must not reach the next one:
// it would shift every answer of its operation by one byte.
TEST_F(Win32Port, AnOpeningStartsWithoutTheAnswersOfTheLastOne) {
  {
    std::unique_ptr<CommPort> port = OpenPort();
    ASSERT_NE(nullptr, port);
    ASSERT_TRUE(port->WriteByte(0xAC).Ok());
    ASSERT_TRUE(port->WriteByte(0x53).Ok());
    SystemClock::Instance().SleepMs(100);  // the adapter answers both; nobody reads them
  }
  std::unique_ptr<CommPort> port = OpenPort();
  ASSERT_NE(nullptr, port);
  SetReadTimeout(*port, 100);
  uint8_t byte = 0;
  EXPECT_FALSE(port->ReadByte(&byte).Ok()) << "a stale answer " << int{byte} << " was still queued";
}

TEST_F(Win32Port, TheLinkReadsTheChipsSignature) {
  SimPortResolver resolver(SystemClock::Instance());
  int number = std::atoi(name_.c_str() + 3);
  ASSERT_GT(number, 0) << "ISP89_WIN_TEST_PORT must be COMn, not " << name_;
  TSerial serial(number, resolver);
  AT89S52 device(&serial);
  ChipOutcome outcome;
  device.Run(ChipRequest(ChipRequest::Operation::Signature), outcome);
  EXPECT_EQ(0x06521E, outcome.signature);
  EXPECT_FALSE(serial.IsOpen());
}

// The next program on the port finds it as this one did, not at this program's speed.
TEST_F(Win32Port, ClosingPutsBackTheLineSettingsFoundAtOpening) {
  LineSettings found;
  {
    std::unique_ptr<CommPort> port = OpenPort();
    ASSERT_NE(nullptr, port);
    ASSERT_TRUE(port->GetState(found));
    LineSettings changed = found;
    changed.baudRate = found.baudRate == 19200 ? 9600 : 19200;
    ASSERT_TRUE(port->SetState(changed));
  }
  std::unique_ptr<CommPort> port = OpenPort();
  ASSERT_NE(nullptr, port);
  LineSettings held;
  ASSERT_TRUE(port->GetState(held));
  EXPECT_EQ(found.baudRate, held.baudRate);
}

// The link's platform calls, recorded by a fake driver: which calls, in which order, with
// which settings. What the user sees of the link is tested against the simulated chip.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "platform/Exception.h"
#include "serial/PortOpenError.h"
#include "serial/TSerial.h"

namespace {

struct DriverState {
  LineSettings settings{9600, 7, LineSettings::kEvenParity, LineSettings::kTwoStopBits, false};
  CommTimeouts timeouts{11, 12, 13, 14, 15};
  std::vector<std::string> calls;
  std::vector<uint8_t> pendingAnswers;
  bool closed = false;
  uint32_t refusedRate = 0;  // a baud rate the driver does not take
};

class RecordingPort : public CommPort {
 public:
  explicit RecordingPort(DriverState& state) : state_(state) {}
  ~RecordingPort() override { state_.calls.push_back("CloseHandle"), state_.closed = true; }
  bool GetState(LineSettings& s) override { return Log("GetCommState"), s = state_.settings, true; }
  bool SetState(const LineSettings& s) override {
    Log("SetCommState" + std::string(s.abortOnError ? "+abort" : ""));
    if (s.baudRate == state_.refusedRate) return false;
    state_.settings = s;
    return true;
  }
  bool GetTimeouts(CommTimeouts& t) override {
    return Log("GetCommTimeouts"), t = state_.timeouts, true;
  }
  bool SetTimeouts(const CommTimeouts& t) override {
    Log("SetCommTimeouts");
    state_.timeouts = t;
    return true;
  }
  bool SetRts(bool on) override { return Log(on ? "SETRTS" : "CLRRTS"), true; }
  bool SetupQueues(uint32_t in, uint32_t out) override {
    return Log("SetupComm " + std::to_string(in) + " " + std::to_string(out)), true;
  }
  IoResult WriteByte(uint8_t b) override {
    return Log("WriteFile " + std::to_string(b)), IoResult::Moved();
  }
  IoResult ReadByte(uint8_t* p) override {
    Log("ReadFile");
    if (state_.pendingAnswers.empty()) return IoResult::TimedOut();
    *p = state_.pendingAnswers.front();
    state_.pendingAnswers.erase(state_.pendingAnswers.begin());
    return IoResult::Moved();
  }
  bool PurgeInput() override { return Log("PurgeComm"), true; }
  bool DrainOutput() override { return Log("FlushFileBuffers"), true; }

 private:
  void Log(const std::string& call) { state_.calls.push_back(call); }
  DriverState& state_;
};

class RecordingOpener : public PortOpener {
 public:
  // Says where the name led only when the port opens, and never what the name was.
  std::unique_ptr<CommPort> Open(const std::string& name, PortOpenFailure& failure) override {
    names.push_back(name);
    if (refuse) {
      failure.cause = PortOpenFailure::Cause::NoDevice;
      failure.reason = "no such device";
      return nullptr;
    }
    failure.device = "/dev/ttyRecorded";
    state.calls.push_back("CreateFileA " + name);
    state.closed = false;
    return std::make_unique<RecordingPort>(state);
  }
  DriverState state;
  std::vector<std::string> names;
  bool refuse = false;
};

// A second opening of an open link makes no platform call.
TEST(TSerialOpen, ConfiguresTheLineWithReadModifyWriteInTheFixedOrderOnce) {
  RecordingOpener opener;
  TSerial serial(3, opener);
  serial.Open();
  serial.Open();
  const std::vector<std::string> expected = {
      "CreateFileA COM3", "GetCommState",       "SetCommState+abort", "GetCommTimeouts",
      "SetCommTimeouts",  "GetCommTimeouts",    "SetCommTimeouts",    "SETRTS",
      "GetCommState",     "SetCommState+abort", "GetCommState",       "SetCommState+abort",
      "GetCommState",     "SetCommState+abort", "GetCommState",       "SetCommState+abort",
      "GetCommTimeouts",  "SetCommTimeouts"};
  EXPECT_EQ(opener.state.calls, expected);
  const LineSettings& line = opener.state.settings;
  EXPECT_EQ(
      std::make_tuple(line.baudRate, line.byteSize, line.parity, line.stopBits, line.abortOnError),
      std::make_tuple(4800u, uint8_t{8}, LineSettings::kNoParity, LineSettings::kOneStopBit, true));
  // The interval and the read multiplier are left as the driver held them (11, 12).
  const CommTimeouts& t = opener.state.timeouts;
  EXPECT_EQ(std::make_tuple(t.readIntervalTimeout, t.readTotalTimeoutMultiplier,
                            t.readTotalTimeoutConstant, t.writeTotalTimeoutMultiplier,
                            t.writeTotalTimeoutConstant),
            std::make_tuple(11u, 12u, 100u, 200u, 200u));
  EXPECT_EQ(serial.Timeouts().readTotalTimeoutConstant, 100u) << "the copy equals the driver";
  EXPECT_TRUE(serial.IsOpen());
}

// The error an opening throws: its message, its cause and its COM number.
std::tuple<std::string, PortOpenFailure::Cause, int> OpenError(TSerial& serial) {
  try {
    serial.Open();
  } catch (const PortOpenError& e) {
    return {e.Message(), e.Failure().cause, e.Failure().comNumber};
  }
  ADD_FAILURE() << "no exception";
  return {};
}

TEST(TSerialOpen, FailureNamesThePortAndTheReasonAndCanBeRetried) {
  RecordingOpener opener;
  opener.refuse = true;
  TSerial serial(5, opener);
  EXPECT_EQ(OpenError(serial), std::make_tuple(std::string("cannot open COM5: no such device"),
                                               PortOpenFailure::Cause::NoDevice, 5));
  EXPECT_FALSE(serial.IsOpen());
  serial.Close();
  EXPECT_THROW(serial.Open(), Exception);
  EXPECT_EQ(opener.names.size(), 2u);
}

// A driver that cannot make 4800 baud would leave the line at whatever it was, and every
// answer garbled.
TEST(TSerialOpen, LineSettingsTheDriverRefusesAreAnErrorNamingThePort) {
  RecordingOpener opener;
  opener.state.refusedRate = 4800;
  TSerial serial(4, opener);
  EXPECT_EQ(OpenError(serial),
            std::make_tuple(std::string("cannot open COM4 (/dev/ttyRecorded): the driver refused "
                                        "the line settings (4800 baud, 8 data bits, no parity, 1 "
                                        "stop bit)"),
                            PortOpenFailure::Cause::SettingsRefused, 4));
  EXPECT_FALSE(serial.IsOpen());
  EXPECT_TRUE(opener.state.closed);
}

TEST(TSerialPort, NewNumberAppliesFromTheNextOpening) {
  RecordingOpener opener;
  TSerial serial(1, opener);
  serial.Open();
  serial.SetPort(3);
  serial.WriteByte(0x42);
  EXPECT_EQ(opener.names, std::vector<std::string>{"COM1"});
  serial.Close();
  serial.Open();
  EXPECT_EQ(opener.names, (std::vector<std::string>{"COM1", "COM3"}));
  EXPECT_EQ(serial.OpenedName(), "COM3");
}

TEST(TSerialTransfer, OneCallPerByteAndUntouchedDestinationOnTimeout) {
  RecordingOpener opener;
  TSerial serial(1, opener);
  serial.Open();
  opener.state.calls.clear();
  opener.state.pendingAnswers = {0x0A, 0x1A};
  uint8_t byte = 0x77;
  EXPECT_TRUE(serial.WriteByte(0x0D).Ok());
  EXPECT_TRUE(serial.ReadByte(&byte).Ok());
  EXPECT_EQ(byte, 0x0A);
  EXPECT_TRUE(serial.ReadByte(&byte).Ok());
  EXPECT_EQ(byte, 0x1A);
  EXPECT_EQ(serial.ReadByte(&byte).What(), IoResult::Outcome::TimedOut);
  EXPECT_EQ(byte, 0x1A);
  serial.SetRts(false);
  serial.SetQueueSizes(8202, 8202);
  EXPECT_EQ(opener.state.calls,
            (std::vector<std::string>{"WriteFile 13", "ReadFile", "ReadFile", "ReadFile", "CLRRTS",
                                      "SetupComm 8202 8202"}));
}

TEST(TSerialClosed, DoesNothingAndRemembersNothing) {
  RecordingOpener opener;
  TSerial serial(1, opener);
  uint8_t byte = 0x55;
  EXPECT_FALSE(serial.WriteByte(1).Ok());
  EXPECT_FALSE(serial.ReadByte(&byte).Ok());
  EXPECT_EQ(byte, 0x55);
  serial.SetRts(false);
  serial.SetQueueSizes(10, 10);
  serial.Close();
  EXPECT_TRUE(opener.state.calls.empty());
  serial.Open();
  for (const auto& call : opener.state.calls) EXPECT_EQ(call.find("SetupComm"), std::string::npos);
}

TEST(TSerialClosed, CloseAndDestructionReleaseThePortOnce) {
  RecordingOpener opener;
  {
    TSerial serial(1, opener);
    serial.Open();
    serial.Close();
    serial.Close();
    EXPECT_EQ(std::count(opener.state.calls.begin(), opener.state.calls.end(), "CloseHandle"), 1);
    serial.Open();
  }
  EXPECT_TRUE(opener.state.closed) << "destroying an open link closes the port";
  EXPECT_EQ(std::count(opener.state.calls.begin(), opener.state.calls.end(), "CloseHandle"), 2);
}

}  // namespace

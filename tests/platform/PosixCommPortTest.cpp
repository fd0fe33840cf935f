// The termios backend for real, on the slave side of a pseudo-terminal with the simulated
// chip on the master side.
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <tuple>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/Exception.h"
#include "platform/NativePort.h"
#include "serial/PortOpenError.h"
#include "serial/PortResolver.h"
#include "support/PtyLink.h"

namespace {

using testing::StartsWith;
using Steady = std::chrono::steady_clock;
using Cause = PortOpenFailure::Cause;
constexpr int kPort = 7;
constexpr int kNobody = 65534;

long MsSince(Steady::time_point start) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - start).count());
}

// Everything the link sets of the line, compared as one.
auto Framing(const LineSettings& s) {
  return std::make_tuple(s.baudRate, s.byteSize, s.parity, s.stopBits, s.abortOnError);
}

// Runs `body` in a child process as an unprivileged user and returns its exit code (0 when
// `body` held), so that root sees what an ordinary user sees: root passes file permissions
// and TIOCEXCL.
int RunAsNobody(const std::function<bool()>& body) {
  pid_t child = fork();
  if (child == 0) {
    if (setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0) {
      _exit(body() ? 0 : 1);
    }
    _exit(2);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 3;
}

// Why `name` does not open, or nothing when it does (the port is closed again at once).
std::optional<PortOpenFailure> OpenFailureOf(const std::string& name) {
  PortOpenFailure failure;
  PortResolver resolver;
  if (resolver.Open(name, failure)) return std::nullopt;
  return failure;
}

std::optional<Cause> CauseOfOpening(const std::string& name) {
  const std::optional<PortOpenFailure> failure = OpenFailureOf(name);
  return failure ? std::optional<Cause>(failure->cause) : std::nullopt;
}

std::optional<PortOpenFailure> FailureOfOpen(TSerial& serial) {
  try {
    serial.Open();
  } catch (const PortOpenError& e) {
    return e.Failure();
  }
  return std::nullopt;
}

class PosixCommPortTest : public testing::Test {
 protected:
  PtyLink link_{kPort};
  TSerial& serial_ = link_.Serial();
  const std::string& path_ = link_.Server().SlavePath();
};

// What the line looks like from another descriptor of the same terminal.
termios LineOf(int fd) {
  termios t{};
  EXPECT_EQ(tcgetattr(fd, &t), 0) << std::strerror(errno);
  return t;
}

// A terminal as a login shell leaves it: line editing, echo, CR/LF translation, XON/XOFF,
// 9600 baud. The port must undo all of it when it opens.
void MakeCooked(int fd) {
  termios t = LineOf(fd);
  t.c_iflag = ICRNL | IXON | IXOFF | BRKINT | ISTRIP;
  t.c_oflag = OPOST | ONLCR;
  t.c_lflag = ICANON | ECHO | ECHOE | ISIG | IEXTEN;
  t.c_cflag = (t.c_cflag & ~CSIZE) | CS8 | CREAD | HUPCL;
  cfsetispeed(&t, B9600);
  cfsetospeed(&t, B9600);
  ASSERT_EQ(tcsetattr(fd, TCSANOW, &t), 0) << std::strerror(errno);
}

// Opens the terminal beside the port under test: a descriptor opened before the port is
// made exclusive stays usable.
class Observer {
 public:
  explicit Observer(const std::string& path)
      : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
    EXPECT_GE(fd_, 0) << path << ": " << std::strerror(errno);
  }
  ~Observer() { close(fd_); }
  int fd() const { return fd_; }

 private:
  int fd_;
};

TEST_F(PosixCommPortTest, OpenSetsTheLineTo4800RawEightNoParityOneStop) {
  Observer observer(path_);
  MakeCooked(observer.fd());
  serial_.Open();
  termios t = LineOf(observer.fd());
  EXPECT_EQ(std::make_tuple(cfgetospeed(&t), cfgetispeed(&t), t.c_cc[VMIN], t.c_cc[VTIME]),
            std::make_tuple(speed_t{B4800}, speed_t{B4800}, cc_t{1}, cc_t{0}));
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP | PARMRK | BRKINT), 0u);

  // The link's copies were read back from the driver.
  EXPECT_EQ(Framing(serial_.State()),
            Framing({4800, 8, LineSettings::kNoParity, LineSettings::kOneStopBit, true}));
  const CommTimeouts& held = serial_.Timeouts();
  EXPECT_EQ(std::make_tuple(held.readTotalTimeoutConstant, held.writeTotalTimeoutMultiplier,
                            held.writeTotalTimeoutConstant),
            std::make_tuple(100u, 200u, 200u));
}

// A pseudo-terminal keeps speed and stop bits but forces 8 data bits and no parity: what the
// driver does not take whole is refused and undone.
TEST_F(PosixCommPortTest, SettingsTheDriverHoldsRoundTripAndOthersAreRefusedAndUndone) {
  NativeOpenFailure failure;
  std::unique_ptr<CommPort> port = OpenNativePort(path_, failure);
  ASSERT_TRUE(port) << failure.reason;
  const LineSettings held[] = {
      {9600, 8, LineSettings::kNoParity, LineSettings::kTwoStopBits, true},
      {115200, 8, LineSettings::kNoParity, LineSettings::kOneStopBit, false},
      {4800, 8, LineSettings::kNoParity, LineSettings::kOneStopBit, true},
  };
  for (const LineSettings& wanted : held) {
    ASSERT_TRUE(port->SetState(wanted)) << wanted.baudRate;
    LineSettings got{};
    ASSERT_TRUE(port->GetState(got));
    EXPECT_EQ(Framing(got), Framing(wanted)) << wanted.baudRate;
  }
  const LineSettings refused[] = {
      {9600, 7, LineSettings::kEvenParity, LineSettings::kOneStopBit, false},  // driver
      {9600, 8, LineSettings::kOddParity, LineSettings::kOneStopBit, false},   // driver
      {12345, 8, LineSettings::kNoParity, LineSettings::kOneStopBit, false},
      {0, 8, LineSettings::kNoParity, LineSettings::kOneStopBit, false},  // would hang up
  };
  for (const LineSettings& bad : refused) {
    EXPECT_FALSE(port->SetState(bad)) << bad.baudRate << " " << int{bad.byteSize};
    LineSettings got{};
    ASSERT_TRUE(port->GetState(got));
    EXPECT_EQ(Framing(got), Framing(held[2])) << bad.baudRate << " " << int{bad.byteSize};
  }
}

TEST_F(PosixCommPortTest, TimeoutsAreKeptAndRtsOnAPseudoTerminalIsRefusedHarmlessly) {
  NativeOpenFailure failure;
  std::unique_ptr<CommPort> port = OpenNativePort(path_, failure);
  ASSERT_TRUE(port) << failure.reason;
  CommTimeouts fresh{1, 1, 1, 1, 1};
  ASSERT_TRUE(port->GetTimeouts(fresh));
  EXPECT_EQ(fresh.readTotalTimeoutConstant, 0u);
  EXPECT_TRUE(port->SetTimeouts({0, 2, 30, 4, 50}));
  CommTimeouts held{};
  ASSERT_TRUE(port->GetTimeouts(held));
  EXPECT_EQ(std::make_tuple(held.readTotalTimeoutMultiplier, held.readTotalTimeoutConstant,
                            held.writeTotalTimeoutMultiplier, held.writeTotalTimeoutConstant),
            std::make_tuple(2u, 30u, 4u, 50u));
  EXPECT_FALSE(port->SetRts(true));
  EXPECT_FALSE(port->SetRts(false));
  EXPECT_TRUE(port->SetupQueues(8202, 8202));
  // The line still works after the refusals.
  EXPECT_TRUE(port->WriteByte(0xAC).Ok());
  uint8_t answer = 0x55;
  EXPECT_TRUE(port->ReadByte(&answer).Ok());
  EXPECT_EQ(answer, 0x00);
}

TEST_F(PosixCommPortTest, ASecondOpenerIsToldThePortIsInUse) {
  serial_.Open();
  TSerial second(kPort, link_.Resolver());
  const std::optional<PortOpenFailure> failure = FailureOfOpen(second);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->cause, Cause::InUse);
  EXPECT_EQ(failure->name, "COM7");
  EXPECT_EQ(failure->device, path_);
  EXPECT_FALSE(second.IsOpen());

  serial_.Close();
  EXPECT_FALSE(FailureOfOpen(second));
}

// A program that only locks the port (no TIOCEXCL) holds it just as well.
TEST_F(PosixCommPortTest, APortAnotherProgramHasLockedIsInUse) {
  Observer other(path_);
  ASSERT_EQ(flock(other.fd(), LOCK_EX | LOCK_NB), 0) << std::strerror(errno);
  EXPECT_EQ(CauseOfOpening(path_), Cause::InUse);
  ASSERT_EQ(flock(other.fd(), LOCK_UN), 0);
  EXPECT_EQ(CauseOfOpening(path_), std::nullopt);
}

// An ordinary user meets TIOCEXCL itself, and must find the port free again once the holder
// closed it, although the simulator keeps the terminal open all along.
TEST_F(PosixCommPortTest, AnOrdinaryUserIsKeptOutWhileHeldAndLetInAfterwards) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user; run as root to check";
  ASSERT_EQ(chmod(path_.c_str(), 0666), 0) << std::strerror(errno);
  serial_.Open();
  EXPECT_EQ(RunAsNobody([&] { return CauseOfOpening(path_) == Cause::InUse; }), 0);
  serial_.Close();
  EXPECT_EQ(RunAsNobody([&] { return CauseOfOpening(path_) == std::nullopt; }), 0);
}

TEST_F(PosixCommPortTest, AReadWithNothingToReadTimesOutAndLeavesTheByte) {
  serial_.Open();
  uint8_t byte = 0xA5;
  Steady::time_point start = Steady::now();
  EXPECT_EQ(serial_.ReadByte(&byte).What(), IoResult::Outcome::TimedOut);
  long elapsed = MsSince(start);
  EXPECT_GE(elapsed, 90);
  EXPECT_LE(elapsed, 400);
  EXPECT_EQ(byte, 0xA5);
}

TEST_F(PosixCommPortTest, AWriteThatCannotGoOutTimesOutAfterItsLimit) {
  link_.Server().Stop();  // nobody drains the terminal any more
  serial_.Open();
  long lastWrite = 0;
  IoResult written = IoResult::Moved();
  for (int i = 0; i < (1 << 20) && written.Ok(); ++i) {
    Steady::time_point start = Steady::now();
    written = serial_.WriteByte(static_cast<uint8_t>(i));
    lastWrite = MsSince(start);
  }
  ASSERT_EQ(written.What(), IoResult::Outcome::TimedOut) << "the terminal never filled up";
  EXPECT_GE(lastWrite, 390);  // 200 x 1 + 200 ms
  EXPECT_LE(lastWrite, 1000);
}

// Answers left unread come in order, and are gone at the next opening.
TEST_F(PosixCommPortTest, AnswersLeftUnreadComeInOrderAndAreGoneAtTheNextOpening) {
  link_.Chip().SetFlash({0x11, 0x22, 0x33, 0x44});
  serial_.Open();
  ASSERT_TRUE(link_.Enable());
  for (uint8_t byte : {0x30, 0x00, 0x00, 0x00, 0x00, 0x00}) serial_.WriteByte(byte);
  std::vector<int> answers;
  for (int i = 0; i < 6; ++i) {
    uint8_t answer = 0;
    answers.push_back(serial_.ReadByte(&answer).Ok() ? answer : -1);
  }
  EXPECT_EQ(answers, (std::vector<int>{0x00, 0x00, 0x11, 0x22, 0x33, 0x44}));
  for (uint8_t byte : {0xAC, 0x53, 0x00, 0x69}) serial_.WriteByte(byte);
  ASSERT_TRUE(link_.Server().WaitForAnswered(4 + 6 + 4, std::chrono::seconds(2)));
  serial_.Close();
  serial_.Open();
  uint8_t byte = 0x5A;
  EXPECT_FALSE(serial_.ReadByte(&byte).Ok());
  EXPECT_EQ(byte, 0x5A);
}

// CR, LF, ^Z, XON, XOFF, NUL, FF and every other value: written bytes reach the chip as they
// are, and page bytes come back as they are (the chip answers 255 - i to byte i, so an echo
// or a translation would show).
TEST_F(PosixCommPortTest, EveryByteValuePassesUnalteredBothWays) {
  std::vector<uint8_t> flash(256);
  std::vector<uint8_t> written(256);
  std::vector<int> expected(256);
  for (int i = 0; i < 256; ++i) {
    flash[i] = static_cast<uint8_t>(255 - i);
    written[i] = static_cast<uint8_t>(i);
    expected[i] = 255 - i;
  }
  link_.Chip().SetFlash(flash);
  {
    Observer observer(path_);
    MakeCooked(observer.fd());
  }
  serial_.Open();
  ASSERT_TRUE(link_.Enable());
  ASSERT_EQ(link_.Exchange({0x30, 0x00}), (std::vector<int>{0x00, 0x00}));
  link_.Chip().ClearEvents();
  EXPECT_EQ(link_.Exchange(written), expected);
  EXPECT_EQ(link_.Chip().WrittenBytes(), written);
}

// The failure names the port as given, where it led and, for a COM name, its number; the
// link throws its summary.
TEST(PosixCommPortFailureTest, AMissingDeviceIsNamedAsGivenAndWhereItLed) {
  const std::string missing = "/tmp/isp89-no-such-folder/ttyUSB9";
  setenv("ISP89_COM5", missing.c_str(), 1);
  unsetenv("ISP89_COM201");
  struct Case {
    std::string name, start;
    int comNumber;
  } cases[] = {
      {missing, "cannot open " + missing + ": ", 0},
      {"COM5", "cannot open COM5 (" + missing + ", from ISP89_COM5): ", 5},
      {"COM201", "cannot open COM201 (/dev/ttyS200): ", 201},
  };
  for (const Case& c : cases) {
    const std::optional<PortOpenFailure> failure = OpenFailureOf(c.name);
    ASSERT_TRUE(failure) << c.name;
    EXPECT_EQ(failure->cause, Cause::NoDevice) << c.name;
    EXPECT_THAT(failure->Summary(), StartsWith(c.start));
    EXPECT_EQ(failure->reason, std::strerror(ENOENT));
    EXPECT_EQ(failure->comNumber, c.comNumber) << c.name;
  }
  // The link throws the same neutral summary, whole.
  PortResolver resolver;
  TSerial serial(5, resolver);
  try {
    serial.Open();
    ADD_FAILURE() << "opened";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), cases[1].start + std::strerror(ENOENT));
  }
  EXPECT_FALSE(serial.IsOpen());
  unsetenv("ISP89_COM5");
  EXPECT_EQ(DefaultNativePortPath(1), "/dev/ttyS0");
  EXPECT_EQ(DefaultNativePortPath(3), "/dev/ttyS2");
}

// A plain file where a port was named: no terminal, and no access once its mode is 0.
std::string PlainFile() {
  char path[] = "/tmp/isp89-plain-file-XXXXXX";
  const int fd = mkstemp(path);
  EXPECT_GE(fd, 0);
  close(fd);
  return path;
}

TEST(PosixCommPortFailureTest, AFileThatIsNoTerminalIsRefused) {
  const std::string path = PlainFile();
  const std::optional<Cause> cause = CauseOfOpening(path);
  unlink(path.c_str());
  EXPECT_EQ(cause, Cause::NotSerial);
}

// The group is the one that owns the device, as the system says: dialout on Debian, uucp
// elsewhere.
TEST(PosixCommPortFailureTest, PermissionDeniedNamesTheOwningGroup) {
  const std::string path = PlainFile();
  const group* dialout = getgrnam("dialout");
  if (geteuid() == 0 && dialout) {
    ASSERT_EQ(chown(path.c_str(), 0, dialout->gr_gid), 0);
  }
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  struct stat status {};
  ASSERT_EQ(stat(path.c_str(), &status), 0);
  const std::string owner = getgrgid(status.st_gid)->gr_name;
  auto check = [&] {
    const std::optional<PortOpenFailure> failure = OpenFailureOf(path);
    return failure && failure->cause == Cause::Permission &&
           failure->reason == std::strerror(EACCES) && failure->group == owner;
  };
  bool held = geteuid() == 0 ? RunAsNobody(check) == 0 : check();
  unlink(path.c_str());
  EXPECT_TRUE(held) << "group " << owner;
}

// The far side of the terminal goes away in the middle of a transfer, as a USB adapter does
// when it is pulled out: reads and writes fail with the system's reason, not as time-outs.
TEST(PosixCommPortGone, AHungUpTerminalFailsReadsAndWrites) {
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master) | unlockpt(master), 0);
  NativeOpenFailure failure;
  std::unique_ptr<CommPort> port = OpenNativePort(ptsname(master), failure);
  ASSERT_TRUE(port) << failure.reason;
  port->SetTimeouts({0, 0, 100, 0, 100});
  ASSERT_TRUE(port->WriteByte(0xAC).Ok());
  close(master);
  uint8_t byte = 0x5A;
  IoResult read = port->ReadByte(&byte);
  EXPECT_EQ(read.What(), IoResult::Outcome::Failed);
  EXPECT_FALSE(read.Reason().empty());
  EXPECT_EQ(byte, 0x5A);
  EXPECT_EQ(port->WriteByte(0x53).What(), IoResult::Outcome::Failed);
}

}  // namespace

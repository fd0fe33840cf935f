// The terminal's own settings come back when the port closes: a terminal named by mistake must
// not stay raw at 4800 baud.
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/PosixCommPort.h"

namespace {

// A pseudo-terminal set up like an interactive one: 9600 baud, line editing and echo on.
class InteractiveTerminal {
 public:
  InteractiveTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    grantpt(master_);
    unlockpt(master_);
    path_ = ptsname(master_);
    watcher_ = open(path_.c_str(), O_RDWR | O_NOCTTY);
    termios line{};
    tcgetattr(watcher_, &line);
    line.c_lflag |= ICANON | ECHO | ISIG;
    line.c_iflag |= ICRNL | IXON;
    line.c_oflag |= OPOST;
    cfsetispeed(&line, B9600);
    cfsetospeed(&line, B9600);
    tcsetattr(watcher_, TCSANOW, &line);
  }
  ~InteractiveTerminal() {
    close(watcher_);
    close(master_);
  }

  const std::string& Path() const { return path_; }
  termios Settings() const {
    termios line{};
    tcgetattr(watcher_, &line);
    return line;
  }

 private:
  int master_ = -1;
  int watcher_ = -1;  // a second opening, to look at the settings from outside the port
  std::string path_;
};

bool SameSettings(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && cfgetospeed(&a) == cfgetospeed(&b) &&
         cfgetispeed(&a) == cfgetispeed(&b);
}

}  // namespace

TEST(PosixCommPortClose, PutsBackTheTerminalSettingsFoundAtOpening) {
  InteractiveTerminal terminal;
  const termios found = terminal.Settings();
  {
    NativeOpenFailure failure;
    std::unique_ptr<PosixCommPort> port = PosixCommPort::Open(terminal.Path(), failure);
    ASSERT_TRUE(port) << failure.reason;
    ASSERT_TRUE(
        port->SetState({4800, 8, LineSettings::kNoParity, LineSettings::kOneStopBit, false}));
    const termios held = terminal.Settings();
    EXPECT_EQ(0u, held.c_lflag & (ICANON | ECHO)) << "raw while open";
    EXPECT_EQ(B4800, cfgetospeed(&held));
  }
  EXPECT_TRUE(SameSettings(found, terminal.Settings()));
  EXPECT_EQ(B9600, cfgetospeed(&found));
}

// isp89-cli stopped by a signal during a write through isp89-sim --pace: it ends at the next
// page (at once on a second signal) with the status the signal calls for, says what the chip
// now holds, and leaves the terminal with the settings it had.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "SimProcess.h"
#include "image/IntelHexReader.h"
#include "support/ScratchFolder.h"

namespace {

std::vector<uint8_t> EightPages() {
  std::vector<uint8_t> bytes(8192, 0xFF);
  for (size_t i = 0; i < 2048; ++i) bytes[i] = static_cast<uint8_t>(i * 5 + 3);
  return bytes;
}

// The terminal's settings as a program that opens it finds them.
termios SettingsOf(const std::string& path) {
  termios settings{};
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  tcgetattr(fd, &settings);
  close(fd);
  return settings;
}

std::vector<uint8_t> Kept() {
  const std::vector<uint8_t> text = ScratchFolder::Read("kept.hex");
  Buffer image = IntelHexReader::Parse(std::string(text.begin(), text.end()), "kept.hex", 8192);
  return std::vector<uint8_t>(image.Data(), image.Data() + image.Size());
}

}  // namespace

TEST(LineSpeed, ASignalStopsAWriteAtAPageAndSaysWhatTheChipHolds) {
  const struct {
    std::vector<int> signals;
    int status;
    const char* name;
  } cases[] = {
      {{SIGINT}, 130, "SIGINT"},   {{SIGTERM}, 143, "SIGTERM"},       {{SIGHUP}, 129, "SIGHUP"},
      {{SIGQUIT}, 131, "SIGQUIT"}, {{SIGINT, SIGINT}, 130, "SIGINT"},
  };
  // "pages 0-N are written" and, stopped at once, "(page N+1 may be partly written)".
  const std::regex said(
      "isp89-cli: stopped \\((SIG[A-Z]+)\\): the chip is erased and (page 0 is|pages 0-([0-9]) "
      "are) written( \\(page [0-9] may be partly written\\))?: write again\n$");
  for (const auto& c : cases) {
    ScratchFolder folder;
    ScratchFolder::Write("eight.bin", EightPages());
    SimProcess sim({"--pace", "--chip", "AT89S52", "--keep", "kept.hex"});
    const termios before = SettingsOf(sim.Port());
    ChildProcess cli({ISP89_CLI_PATH, "-p", sim.Port(), "write", "eight.bin"});
    ASSERT_TRUE(cli.WaitForErr("writing: 12%", std::chrono::seconds(20))) << cli.Err();
    for (size_t i = 0; i < c.signals.size(); ++i) {
      // Two signals sent at once are one to the system: the second comes a moment later.
      if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
      cli.Signal(c.signals[i]);
    }
    EXPECT_EQ(c.status, cli.Wait()) << c.name;
    std::smatch match;
    ASSERT_TRUE(std::regex_search(cli.Err(), match, said)) << cli.Err();
    EXPECT_EQ(c.name, match[1].str());
    EXPECT_EQ(c.signals.size() > 1, match[4].matched) << cli.Err();
    const termios after = SettingsOf(sim.Port());
    EXPECT_EQ(cfgetospeed(&before), cfgetospeed(&after)) << c.name;
    EXPECT_EQ(before.c_lflag, after.c_lflag) << c.name;
    // The last bytes written are still on the line: the next command's bytes come after them.
    EXPECT_EQ(0, Cli({"-p", sim.Port(), "signature"}).status);
    EXPECT_EQ(0, sim.Stop());
    // The pages said to be written hold the file; the ones after them are still erased.
    const size_t whole = match[3].matched ? std::stoul(match[3].str()) + 1 : 1;
    const std::vector<uint8_t> flash = Kept(), image = EightPages();
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + whole * 256, flash.begin())) << c.name;
    const size_t untouched = whole + (match[4].matched ? 1 : 0);
    EXPECT_TRUE(std::all_of(flash.begin() + untouched * 256, flash.end(), [](uint8_t b) {
      return b == 0xFF;
    })) << c.name;
  }
}
